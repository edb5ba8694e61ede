#include "engine/sig_format.h"

#include <algorithm>

namespace veltrane::sig {

std::string_view asText(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool startsWithSkipMarker(std::span<const std::byte> payload) {
    return asText(payload).starts_with(kSkipMarker);
}

bool startsWithEndMarker(std::span<const std::byte> payload) {
    return asText(payload).starts_with(kEndMarker);
}

bool isUsableArchiveName(std::string_view name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 32 || byte == 127 || c == '/' || c == '\\' || c == ':';
    });
}

std::optional<ArchiveHeader> findArchiveHeader(std::span<const std::byte> payload) {
    const std::string_view text = asText(payload);
    const std::size_t marker = text.find(kHeaderMarker);
    if (marker == std::string_view::npos) {
        return std::nullopt;
    }
    ArchiveHeader header{marker, {}};
    // Only a ".tar" behind the marker closes the name; one in front of it belongs to other text.
    const std::size_t nameEnd = text.find(kNameEnd, marker + kHeaderMarker.size());
    if (nameEnd != std::string_view::npos) {
        const std::size_t nameStart = marker + kNameOffsetInMarker;
        const std::string_view name = text.substr(nameStart, nameEnd + kNameEnd.size() - nameStart);
        if (isUsableArchiveName(name)) {
            header.name = name;
        }
    }
    return header;
}

std::uint32_t recordLength(std::span<const std::byte> present) {
    return static_cast<std::uint32_t>(present[0]) | (static_cast<std::uint32_t>(present[1]) << 8);
}

std::span<const std::byte> payloadOf(std::span<const std::byte> present, std::uint32_t length) {
    if (length <= kEmptyPayloadLength || present.size() <= kPayloadOffset) {
        return {};
    }
    // The payload ends where the 3-byte trailer starts, at L - 1.
    const std::size_t end = std::min<std::size_t>(length - 1, present.size());
    return present.subspan(kPayloadOffset, end - kPayloadOffset);
}

}  // namespace veltrane::sig
