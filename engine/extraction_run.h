#pragma once
// One extraction run: reads a SIG file, reassembles the TAR archives it carries into
// "TAR Files", splits every finished archive into product files, and counts what it writes.
// All of a run's state lives in one object, so runs can go side by side.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "engine/archive_handoff.h"
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

struct RunOptions {
    // Split each finished archive on a second thread while the walk reassembles the next one,
    // for hosts that want the second core more than a strict order of calls. The host is then
    // called from both threads, never two calls at once; a split's file-written calls come
    // between the walk's progress calls, and one progress call after the last split gives the
    // final counts. Output, counts and problems are the same as without it.
    bool splitBesideWalk = false;
};

class ExtractionRun {
  public:
    ExtractionRun(RunHost& host, std::filesystem::path outputBase, std::stop_token stop = {},
                  RunOptions options = {});
    ~ExtractionRun();
    ExtractionRun(const ExtractionRun&) = delete;
    ExtractionRun& operator=(const ExtractionRun&) = delete;

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

    void startSplitterThread();
    void finishSplitterThread();
    std::optional<platform::InputFile> openForSplit(const std::filesystem::path& archivePath);
    void splitArchive(const platform::InputFile& archive, const std::filesystem::path& archivePath);

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
    // Adds a problem to its list, or only counts it once the list is full.
    void note(std::vector<Problem>& list, std::int64_t& notListed,
              const std::filesystem::path& path, std::string reason);
    void countWritten(Counter counter, const std::filesystem::path& path);
    KindSelection askSelectedKinds();
    // Held while the counters, the report, the folders made or the host are used, when a split
    // runs beside the walk; without one it holds nothing and costs nothing.
    std::unique_lock<std::mutex> lockShared();

    RunHost& host_;
    std::stop_token stop_;
    RunOptions options_;
    std::atomic<bool> stopSeen_{false};
    std::mutex shared_;
    RunState state_;
    std::filesystem::path sigPath_;
    ArchiveInProgress archive_;
    std::unique_ptr<std::byte[]> copyBuffer_;
    std::unordered_set<std::string> foldersMade_;
    std::optional<ArchiveHandoff> handoff_;
    std::jthread splitter_;  // last: joined before anything it uses goes away
};

}  // namespace veltrane
