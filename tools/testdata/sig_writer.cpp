#include "testdata/sig_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

namespace veltrane::testdata {

namespace {

constexpr std::string_view kArchivePrefix = "tarfile";
constexpr std::string_view kArchiveSuffix = ".tar";
// The header marker minus the "tarfile" that begins every archive name.
constexpr std::string_view kFileNameLine =
    kSigHeaderMarker.substr(0, kSigHeaderMarker.size() - kArchivePrefix.size());

void requireArchiveName(std::string_view archiveName) {
    if (!isValidArchiveName(archiveName)) {
        throw std::invalid_argument(
            "archive name must start with 'tarfile' and end at its first "
            "'.tar': " +
            std::string(archiveName));
    }
}

}  // namespace

bool startsWithInArchiveMarker(std::string_view payload) {
    return payload.starts_with(kSigSkipMarker) || payload.starts_with(kSigEndMarker);
}

bool isValidArchiveName(std::string_view archiveName) {
    if (!archiveName.starts_with(kArchivePrefix)) {
        return false;
    }
    const auto suffix = archiveName.find(kArchiveSuffix, kArchivePrefix.size());
    // Readers cut the name at the first ".tar"; anything after it would be lost, and line
    // breaks would end the FILE_NAME line early.
    return suffix != std::string_view::npos &&
           suffix + kArchiveSuffix.size() == archiveName.size() &&
           archiveName.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

void SigWriter::headerRecord(std::string_view archiveName, std::optional<std::uint64_t> fileSize) {
    requireArchiveName(archiveName);
    std::string payload;
    payload.append(kFileNameLine).append(archiveName).append("\r\n");
    if (fileSize) {
        payload.append("FILE_SIZE ").append(std::to_string(*fileSize)).append("\r\n");
    }
    record(payload);
}

void SigWriter::dataRecord(std::string_view payload) {
    if (startsWithInArchiveMarker(payload)) {
        throw std::invalid_argument("data payload starts with a skip or end marker");
    }
    record(payload);
}

void SigWriter::skipRecord() {
    std::string payload(kSigSkipMarker);
    payload.append(25, '\0');
    record(payload);
}

void SigWriter::endRecord(std::string_view archiveName) {
    requireArchiveName(archiveName);
    std::string payload("\r\n\r\n");
    payload.append(kFileNameLine).append(archiveName).append("\r\n");
    record(payload);
}

void SigWriter::noiseRecord(std::string_view payload) {
    if (payload.find(kSigHeaderMarker) != std::string_view::npos ||
        payload.starts_with(kSigSkipMarker)) {
        throw std::invalid_argument("noise payload holds a SIG marker");
    }
    record(payload);
}

void SigWriter::noiseRecord() {
    std::array<char, 64> line{};
    const int length = std::snprintf(line.data(), line.size(), "LINK STATUS %010llu OK\r\n",
                                     static_cast<unsigned long long>(recordsWritten_));
    noiseRecord(std::string_view(line.data(), static_cast<std::size_t>(length)));
}

void SigWriter::record(std::string_view payload) {
    if (payload.size() > kSigMaxPayload) {
        throw std::length_error("SIG payload of " + std::to_string(payload.size()) +
                                " bytes exceeds " + std::to_string(kSigMaxPayload));
    }
    const auto length = static_cast<std::uint16_t>(payload.size() + kSigRecordOverhead);
    // The header is opaque to readers; a running number and a tag make dumps easy to follow.
    std::array<char, kSigLengthFieldSize + kSigRecordHeaderSize + 1> prefix{};
    std::snprintf(prefix.data() + kSigLengthFieldSize, kSigRecordHeaderSize + 1,
                  "SEQ%010llu VELTRANE-FEED   ",
                  static_cast<unsigned long long>((recordsWritten_ + 1) % 10000000000ULL));
    prefix[0] = static_cast<char>(length & 0xFF);
    prefix[1] = static_cast<char>(length >> 8);
    emit(std::string_view(prefix.data(), kSigLengthFieldSize + kSigRecordHeaderSize));
    emit(payload);
    emit(kSigRecordTrailer);
    ++recordsWritten_;
}

void SigWriter::rawRecord(std::uint16_t declaredLength, std::string_view bytesAfterLength) {
    const std::array<char, 2> lengthField{static_cast<char>(declaredLength & 0xFF),
                                          static_cast<char>(declaredLength >> 8)};
    emit(std::string_view(lengthField.data(), lengthField.size()));
    emit(bytesAfterLength);
    ++recordsWritten_;
}

void SigWriter::emit(std::string_view bytes) {
    sink_.write(bytes);
    bytesWritten_ += bytes.size();
}

void writeArchive(SigWriter& writer, std::string_view archiveName, std::string_view archiveBytes,
                  const ArchiveLayout& layout) {
    requireArchiveName(archiveName);
    const auto drawChunkSize = [&layout] {
        const std::size_t wished = layout.chunkSize ? layout.chunkSize() : kSigMaxPayload;
        return std::clamp<std::size_t>(wished, 1, kSigMaxPayload);
    };
    const std::size_t total = archiveBytes.size();
    // A payload is misread only if it starts with a whole marker, so a boundary is judged
    // together with the length of the chunk that would follow it.
    const auto misread = [archiveBytes](std::size_t start, std::size_t length) {
        return startsWithInArchiveMarker(archiveBytes.substr(start, length));
    };

    writer.headerRecord(archiveName, total);
    std::size_t chunk = total == 0 ? 0 : drawChunkSize();
    if (total > 0 && misread(0, chunk)) {
        throw std::invalid_argument("archive bytes start with a SIG marker");
    }
    std::size_t start = 0;
    while (start < total) {
        std::size_t end = std::min(start + chunk, total);
        std::size_t nextChunk = 0;
        if (end < total) {
            nextChunk = drawChunkSize();
            if (misread(end, nextChunk)) {
                // The markers do not overlap themselves shifted by one byte, so the nearest
                // allowed boundary is almost always one byte away.
                const auto acceptable = [&](std::size_t candidate) {
                    return candidate > start && candidate - start <= kSigMaxPayload &&
                           candidate <= total &&
                           (candidate == total || !misread(candidate, nextChunk));
                };
                std::size_t shifted = 0;
                for (std::size_t delta = 1; delta <= kSigSkipMarker.size() + kSigEndMarker.size();
                     ++delta) {
                    if (end > delta && acceptable(end - delta)) {
                        shifted = end - delta;
                        break;
                    }
                    if (acceptable(end + delta)) {
                        shifted = end + delta;
                        break;
                    }
                }
                if (shifted == 0) {
                    throw std::logic_error("no safe chunk boundary near archive offset " +
                                           std::to_string(end));
                }
                end = shifted;
            }
        }
        if (layout.skipBeforeChunk && layout.skipBeforeChunk()) {
            writer.skipRecord();
        }
        writer.dataRecord(archiveBytes.substr(start, end - start));
        start = end;
        chunk = nextChunk;
    }
    writer.endRecord(archiveName);
}

}  // namespace veltrane::testdata
