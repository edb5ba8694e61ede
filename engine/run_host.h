#pragma once
// What a run takes from the front end that started it: the window, the command line and the
// tests each implement this.

#include <filesystem>

#include "engine/run_types.h"

namespace veltrane {

struct RunProgress {
    std::int64_t SigPosition = 0;
    std::int64_t SigFileSize = 0;
    const RunCounters& counters;
};

class RunHost {
  public:
    virtual ~RunHost() = default;

    // The SIG file to read; asked once, when the run starts.
    virtual std::filesystem::path sigFilePath() = 0;

    // The kinds to extract; asked at every member sorted, so that a change made during a run
    // applies from the next member on.
    virtual KindSelection selectedKinds() = 0;

    // Called on the worker after every SIG record. The host may block until it has shown the
    // values (the window does); it must be cheap when nobody watches.
    virtual void showProgress(const RunProgress& progress) = 0;

    // A file (archive or product) that was written in full.
    virtual void fileWritten(Counter /*kind*/, const std::filesystem::path& /*path*/) {}
};

}  // namespace veltrane
