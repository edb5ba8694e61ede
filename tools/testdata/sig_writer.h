#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "testdata/byte_sink.h"

namespace veltrane::testdata {

// Layout of one SIG record: a 16-bit little-endian length L counting the bytes after it, a 30-byte
// header, L-33 payload bytes and a 3-byte trailer; the record occupies L+2 bytes.
inline constexpr std::size_t kSigLengthFieldSize = 2;
inline constexpr std::size_t kSigRecordHeaderSize = 30;
inline constexpr std::size_t kSigRecordTrailerSize = 3;
inline constexpr std::size_t kSigRecordOverhead = kSigRecordHeaderSize + kSigRecordTrailerSize;
inline constexpr std::size_t kSigMaxPayload = 0xFFFF - kSigRecordOverhead;  // 65502
inline constexpr std::string_view kSigRecordTrailer = "\r\r\n";

// Markers readers look for in payloads.
inline constexpr std::string_view kSigHeaderMarker = "BEGIN\r\nFILE_NAME      tarfile";
inline constexpr std::string_view kSigSkipMarker{"\0\0\0\0BEG", 7};
inline constexpr std::string_view kSigEndMarker = "\r\n\r\nBEGIN\r\nFILE_NAME      tarfile";

// True when a data payload would be taken for a skip or end record by a reader inside an archive.
bool startsWithInArchiveMarker(std::string_view payload);

// Archive names must be recoverable by the reader rule "from 'tarfile' up to the first '.tar'".
bool isValidArchiveName(std::string_view archiveName);

// Writes SIG records to a sink. The checked writers refuse payloads that a reader would
// misinterpret; record() and rawRecord() exist to build malformed input on purpose.
class SigWriter {
  public:
    explicit SigWriter(ByteSink& sink) : sink_(sink) {}

    // Announces an archive; the size line is what real feeds carry and is optional for readers.
    void headerRecord(std::string_view archiveName, std::optional<std::uint64_t> fileSize = {});
    // One slice of archive bytes; throws std::invalid_argument if it starts with a skip or end
    // marker.
    void dataRecord(std::string_view payload);
    // A record readers ignore while inside an archive.
    void skipRecord();
    // Closes the current archive; the name is repeated after the marker as real feeds do.
    void endRecord(std::string_view archiveName);
    // Filler between archives; throws std::invalid_argument if the payload holds a header marker.
    void noiseRecord(std::string_view payload);
    // Filler with a short status line that varies with the record count.
    void noiseRecord();
    // A well-formed record around any payload, without marker checks.
    void record(std::string_view payload);
    // Writes `declaredLength` and then exactly `bytesAfterLength`, whatever they hold.
    void rawRecord(std::uint16_t declaredLength, std::string_view bytesAfterLength);

    std::uint64_t bytesWritten() const { return bytesWritten_; }
    std::uint64_t recordsWritten() const { return recordsWritten_; }

  private:
    void emit(std::string_view bytes);

    ByteSink& sink_;
    std::uint64_t bytesWritten_ = 0;
    std::uint64_t recordsWritten_ = 0;
};

// How writeArchive() slices the archive: chunkSize gives the wished payload size of each data
// record (clamped to 1..65502); skipBeforeChunk, if set, asks for a skip record before a chunk.
struct ArchiveLayout {
    std::function<std::size_t()> chunkSize;
    std::function<bool()> skipBeforeChunk;

    static ArchiveLayout fixedChunks(std::size_t size) {
        return ArchiveLayout{[size] { return size; }, {}};
    }
};

// Header record, the archive bytes as data records, then the end record. A chunk boundary that
// would make a data payload start with a marker is moved by a byte. Throws std::invalid_argument
// if the archive itself starts with a marker, since no slicing could carry it.
void writeArchive(SigWriter& writer, std::string_view archiveName, std::string_view archiveBytes,
                  const ArchiveLayout& layout);

}  // namespace veltrane::testdata
