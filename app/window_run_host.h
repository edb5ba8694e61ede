#pragma once
// What a run started from the main window asks of it. The run's worker never touches a widget:
// the SIG file and the switches are handed over by the window's thread, and progress goes back
// to it as a queued call that the worker waits for, so the run never gets ahead of what is on
// screen. No Qt here: the window passes in how to queue a call on its thread.

#include <atomic>
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

    // The window's look changes only when the percentage or a counter does, so by default a
    // record that changes neither is not handed over. With this on, every record is (to
    // measure what the hand-off costs).
    bool handOffEveryRecord = false;

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
    std::optional<ProgressSnapshot> lastHandedOver_;  // the run's threads only, one at a time
};

}  // namespace veltrane::app
