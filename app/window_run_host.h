#pragma once
// What a run started from the main window asks of it. The run's worker never touches a widget:
// the SIG file and the switches are handed over by the window's thread, and progress goes back
// to it as a queued call that the worker waits for, so the run never gets ahead of what is on
// screen. No Qt here: the window passes in how to queue a call on its thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

#include "app/progress_snapshot.h"
#include "engine/run_host.h"
#include "engine/run_types.h"

namespace veltrane::app {

class WindowRunHost : public RunHost {
  public:
    using ShowProgress = std::function<void(const ProgressSnapshot&)>;
    // Queues a call to run on the window's thread (the window passes Qt's queued invocation).
    using PostToWindow = std::function<void(std::function<void()>)>;

    // `show` runs on the window's thread, through `post`.
    WindowRunHost(PostToWindow post, ShowProgress show);

    // On the window's thread, before a run starts and after the last one has ended.
    void prepareRun(std::filesystem::path sigFile);
    // On the window's thread, whenever a switch changes; the run reads it at its next member.
    void setKindSelected(ProductKind kind, bool selected);
    // On the window's thread when it closes: a worker waiting for the window is released and
    // hands nothing over until the next run is prepared.
    void shutDown();

    // What is handed over. Each hand-off costs two thread switches and a repaint, about 0.1 ms,
    // so by default a record is handed over only when the window would show something new: the
    // gauge's every step (at most 101 in a run), and the counters at most every
    // kCounterRefresh (they change with every product written). The window then lags the run
    // by a frame at most, and it shows the report's counts when the run ends. With this on,
    // every record is handed over, as the simplest reading of "after every record" would have it
    // (to measure what that costs).
    bool handOffEveryRecord = false;
    static constexpr std::chrono::milliseconds kCounterRefresh{40};

    // Hand-offs posted to the window since the host was made.
    std::uint64_t handOffs() {
        const std::lock_guard lock(mutex_);
        return handedOver_;
    }

    std::filesystem::path sigFilePath() override;
    KindSelection selectedKinds() override;
    void showProgress(const RunProgress& progress) override;

  private:
    PostToWindow post_;
    ShowProgress show_;
    std::filesystem::path sigFile_;
    std::atomic<unsigned> kinds_;

    std::mutex mutex_;
    std::condition_variable shown_;
    std::uint64_t handedOver_ = 0;  // hand-offs posted to the window
    std::uint64_t done_ = 0;        // of those, the ones the window has shown
    bool closing_ = false;
    // The run's threads only, one at a time.
    std::optional<ProgressSnapshot> lastHandedOver_;
    std::chrono::steady_clock::time_point lastHandOffTime_;
};

}  // namespace veltrane::app
