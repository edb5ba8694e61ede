#include "engine/extraction_run.h"

#include <algorithm>
#include <utility>

#include "platform/folders.h"

namespace veltrane {

ExtractionRun::ExtractionRun(RunHost& host, std::filesystem::path outputBase, std::stop_token stop)
    : host_(host), stop_(std::move(stop)), copyBuffer_(new std::byte[kCopyChunk]) {
    state_.outputBase = std::move(outputBase);
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
    host_.showProgress(RunProgress{state_.SigPosition, state_.SigFileSize, state_.counters});
}

std::error_code ExtractionRun::ensureFolder(const std::filesystem::path& folder) {
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
    if (stop_.stop_requested()) {
        state_.report.stopped = true;
        return true;
    }
    return false;
}

void ExtractionRun::fail(const std::filesystem::path& path, std::string reason) {
    state_.report.failures.push_back({path.string(), std::move(reason)});
}

void ExtractionRun::warn(const std::filesystem::path& path, std::string reason) {
    state_.report.warnings.push_back({path.string(), std::move(reason)});
}

}  // namespace veltrane
