#include "engine/extraction_run.h"

#include <algorithm>
#include <utility>

#include "platform/folders.h"

namespace veltrane {

ExtractionRun::ExtractionRun(RunHost& host, std::filesystem::path outputBase, std::stop_token stop,
                             RunOptions options)
    : host_(host),
      stop_(std::move(stop)),
      options_(options),
      copyBuffer_(new std::byte[kCopyChunk]) {
    state_.outputBase = std::move(outputBase);
}

ExtractionRun::~ExtractionRun() {
    // Only reached with the splitter still running when the walk left by an exception.
    finishSplitterThread();
}

RunReport ExtractionRun::RunExtraction() {
    sigPath_ = host_.sigFilePath();
    state_.report = RunReport{};
    state_.report.sigPath = sigPath_.string();
    state_.counters = RunCounters{};
    state_.SigPosition = 0;

    // A file that cannot be opened, or measured, is read not at all: nothing gets written.
    std::error_code error = state_.SigFile.open(sigPath_);
    if (!error) {
        error = state_.SigFile.size(state_.SigFileSize);
    }
    if (error) {
        state_.SigFileSize = -1;
        state_.SigFile.close();
        fail(sigPath_, "cannot read the SIG file: " + platform::describe(error));
        return state_.report;
    }
    ExtractTarFiles();
    state_.SigFile.close();
    state_.report.counts = state_.counters;
    state_.report.bytesRead = std::min(state_.SigPosition, state_.SigFileSize);
    return std::move(state_.report);
}

void ExtractionRun::UpdateProgress() {
    const auto lock = lockShared();
    host_.showProgress(RunProgress{state_.SigPosition, state_.SigFileSize, state_.counters});
}

void ExtractionRun::startSplitterThread() {
    if (!options_.splitBesideWalk) {
        return;
    }
    handoff_.emplace();
    splitter_ = std::jthread([this] {
        while (auto archive = handoff_->take()) {
            splitArchive(archive->file, archive->path);
        }
    });
}

void ExtractionRun::finishSplitterThread() {
    if (!handoff_) {
        return;
    }
    handoff_->close();
    if (splitter_.joinable()) {
        splitter_.join();
    }
    handoff_.reset();
}

std::unique_lock<std::mutex> ExtractionRun::lockShared() {
    return options_.splitBesideWalk ? std::unique_lock(shared_) : std::unique_lock<std::mutex>();
}

void ExtractionRun::countWritten(Counter counter, const std::filesystem::path& path) {
    const auto lock = lockShared();
    ++state_.counters[counter];
    host_.fileWritten(counter, path);
}

KindSelection ExtractionRun::askSelectedKinds() {
    const auto lock = lockShared();
    return host_.selectedKinds();
}

std::error_code ExtractionRun::ensureFolder(const std::filesystem::path& folder) {
    const auto lock = lockShared();
    // Folders are looked up once per run; one that vanishes mid-run shows up as a failed create.
    if (foldersMade_.contains(folder.native())) {
        return {};
    }
    const auto error = platform::makeFolders(folder);
    if (!error) {
        foldersMade_.insert(folder.native());
    }
    return error;
}

bool ExtractionRun::stopRequested() {
    if (!stop_.stop_requested()) {
        return false;
    }
    if (!stopSeen_.exchange(true)) {
        const auto lock = lockShared();
        state_.report.stopped = true;
    }
    return true;
}

void ExtractionRun::fail(const std::filesystem::path& path, std::string reason) {
    note(state_.report.failures, state_.report.failuresNotListed, path, std::move(reason));
}

void ExtractionRun::warn(const std::filesystem::path& path, std::string reason) {
    note(state_.report.warnings, state_.report.warningsNotListed, path, std::move(reason));
}

void ExtractionRun::note(std::vector<Problem>& list, std::int64_t& notListed,
                         const std::filesystem::path& path, std::string reason) {
    const auto lock = lockShared();
    if (list.size() < kProblemListLimit) {
        list.push_back({path.string(), std::move(reason)});
    } else {
        ++notListed;
    }
}

}  // namespace veltrane
