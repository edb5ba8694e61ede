#pragma once
// One extraction run: reads a SIG file, reassembles the TAR archives it carries into
// "TAR Files", splits every finished archive into product files, and counts what it writes.
// All of a run's state lives in one object, so runs can go side by side.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <stop_token>
#include <string>
#include <unordered_set>

#include "engine/product_kinds.h"
#include "engine/run_host.h"
#include "engine/run_types.h"
#include "platform/file_io.h"

namespace veltrane {

// Large enough that a stream of small records costs few reads, small enough to keep memory flat.
inline constexpr std::size_t kSigReadWindow = 4 << 20;
// Payloads are gathered into writes of this size.
inline constexpr std::size_t kArchiveWriteBuffer = 1 << 20;
// Products are copied in chunks of this size; a stop request is honoured between chunks.
inline constexpr std::size_t kCopyChunk = 1 << 20;

struct RunState {
    std::filesystem::path outputBase;  // receives "TAR Files", "GRIB Files", ...
    std::int64_t SigFileSize = 0;
    std::int64_t SigPosition = 0;  // offset of the next SIG record
    RunCounters counters;
    platform::InputFile SigFile;
    platform::BufferedOutput TarFile{kArchiveWriteBuffer};  // the archive being reassembled
    RunReport report;
};

class ExtractionRun {
  public:
    ExtractionRun(RunHost& host, std::filesystem::path outputBase, std::stop_token stop = {});

    // The whole run, on the calling thread: open the SIG file the host names, walk it, close it.
    RunReport RunExtraction();

    // Walks every record of the open SIG file, writing archives and splitting finished ones.
    void ExtractTarFiles();

    // Writes every member of a finished archive out as a product file of its kind.
    void SplitTarFile(const std::filesystem::path& archivePath);

    // Hands the position and the counters to the host.
    void UpdateProgress();

    const RunState& state() const { return state_; }

  private:
    struct ArchiveInProgress {
        bool inside = false;
        std::string name;
        std::filesystem::path path;
        bool hasData = false;       // its first data record has been seen
        bool createFailed = false;  // its file could not be made; already reported
    };

    void handleRecord(std::span<const std::byte> payload, std::int64_t recordOffset);
    void startArchiveFile();
    void finishArchive();
    void closeArchiveAtEndOfFile();

    void sortMember(const platform::InputFile& archive, std::int64_t archiveLength,
                    std::int64_t headerOffset, std::string_view memberName, std::int64_t memberSize,
                    const std::filesystem::path& archivePath);
    void writeProduct(const platform::InputFile& archive, std::int64_t archiveLength,
                      std::int64_t dataOffset, const products::ProductPlan& plan,
                      const std::filesystem::path& target);
    // Copies [from, from + count) of the archive into out; false when it failed or was stopped
    // (the failure is reported). `held` is left holding the bytes copied when they went through
    // memory untransformed in one piece, so the end check needs no read of its own.
    bool copyProduct(const platform::InputFile& archive, std::int64_t from, std::int64_t count,
                     bool bitReversed, platform::OutputFile& out, std::span<const std::byte>& held);
    // Warns when the bytes in front of messageEnd are not "7777". `held` holds the archive's
    // bytes from messageStart on, or fewer; what it lacks is read from the archive.
    void checkMessageEnd(const platform::InputFile& archive, std::int64_t messageStart,
                         std::int64_t messageEnd, std::span<const std::byte> held,
                         const std::filesystem::path& target);

    std::error_code ensureFolder(const std::filesystem::path& folder);
    bool stopRequested();
    void fail(const std::filesystem::path& path, std::string reason);
    void warn(const std::filesystem::path& path, std::string reason);

    RunHost& host_;
    std::stop_token stop_;
    RunState state_;
    std::filesystem::path sigPath_;
    ArchiveInProgress archive_;
    std::unique_ptr<std::byte[]> copyBuffer_;
    std::unordered_set<std::string> foldersMade_;
};

}  // namespace veltrane
