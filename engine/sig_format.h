#pragma once
// The SIG container: length-prefixed records whose payloads carry TAR archives between text
// markers. Pure functions over one record's payload; no file access here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace veltrane::sig {

// L, the 16-bit length in front of every record, counts the bytes that follow it.
inline constexpr std::size_t kLengthFieldSize = 2;
// The payload starts behind L and a 30-byte record header nobody interprets.
inline constexpr std::size_t kPayloadOffset = 32;
// A record with L = 33 or less has no payload: header and the 3-byte trailer fill it.
inline constexpr std::size_t kEmptyPayloadLength = 33;
// The largest record: L = 65,535 plus the length field itself.
inline constexpr std::size_t kMaxRecordSpan = 65'537;

inline constexpr std::string_view kHeaderMarker = "BEGIN\r\nFILE_NAME      tarfile";
inline constexpr std::string_view kEndMarker = "\r\n\r\nBEGIN\r\nFILE_NAME      tarfile";
inline constexpr std::string_view kSkipMarker{"\0\0\0\0BEG", 7};
inline constexpr std::string_view kNameEnd = ".tar";
// The archive name starts at the "tarfile" that closes the header marker.
inline constexpr std::size_t kNameOffsetInMarker = kHeaderMarker.size() - 7;

std::string_view asText(std::span<const std::byte> bytes);

bool startsWithSkipMarker(std::span<const std::byte> payload);
bool startsWithEndMarker(std::span<const std::byte> payload);

// A header marker found in a payload. `name` is empty when the header names no usable
// archive: no ".tar" behind the marker, or a name with bytes no file name may hold.
struct ArchiveHeader {
    std::size_t markerOffset = 0;
    std::string name;
};
std::optional<ArchiveHeader> findArchiveHeader(std::span<const std::byte> payload);

// Control bytes, DEL, '/', '\' and ':' would make the name a path or unprintable.
bool isUsableArchiveName(std::string_view name);

// The payload of a record whose first `present` bytes are at hand (fewer than its span when
// the file ends inside it).
std::span<const std::byte> payloadOf(std::span<const std::byte> present, std::uint32_t length);

std::uint32_t recordLength(std::span<const std::byte> present);

}  // namespace veltrane::sig
