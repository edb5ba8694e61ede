// The hand-off between a run and the window: progress is shown on the window's thread while the
// run waits, only when the window would change (or at every record when asked), switches set on
// the window's thread reach the run, and a window that closes releases a waiting run.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "app/window_run_host.h"
#include "engine/extraction_run.h"
#include "generated_sig.h"
#include "run_fixture.h"

namespace veltrane {
namespace {

using app::ProgressSnapshot;
using app::WindowRunHost;

// Stands for the window's thread: runs posted calls one at a time, in order.
class WindowThread {
  public:
    ~WindowThread() {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
    }

    void post(std::function<void()> call) {
        {
            const std::lock_guard lock(mutex_);
            calls_.push_back(std::move(call));
        }
        wake_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> calls_;
    bool done_ = false;
    std::jthread thread_{[this] {
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock, [&] { return done_ || !calls_.empty(); });
            if (calls_.empty()) {
                return;
            }
            auto call = std::move(calls_.front());
            calls_.pop_front();
            lock.unlock();
            call();
            lock.lock();
        }
    }};
};

class WindowHandOff : public testing::Test {
  protected:
    testing_support::ScratchFolder scratch;
    std::filesystem::path sig = scratch.path() / "feed.sig";
    std::filesystem::path out = scratch.path() / "out";
    std::vector<ProgressSnapshot> shown;  // on the window's thread only
    std::function<void(const ProgressSnapshot&)> onShown;
    // The window's thread is declared after the host, so it has stopped before the host goes.
    WindowRunHost host{[this](std::function<void()> call) { window.post(std::move(call)); },
                       [this](const ProgressSnapshot& progress) {
                           shown.push_back(progress);
                           if (onShown) {
                               onShown(progress);
                           }
                       }};
    WindowThread window;

    WindowHandOff() {
        testing_support::writeFile(sig, testing_support::generatedSig(1 << 20, 1024, 2048, 3));
        host.prepareRun(sig);
        host.setKindSelected(ProductKind::Ascii, true);
    }

    RunReport run() {
        ExtractionRun extraction(host, out, {}, RunOptions{.splitBesideWalk = true});
        return extraction.RunExtraction();
    }

    // How many progress reports a run over the same file makes: one per record, and one with
    // the final counts after the last split.
    std::size_t recordReports() {
        testing_support::RecordingHost counting;
        counting.sig = sig;
        ExtractionRun extraction(counting, scratch.path() / "counting", {},
                                 RunOptions{.splitBesideWalk = true});
        extraction.RunExtraction();
        return counting.positions.size();
    }
};

TEST_F(WindowHandOff, ShowsEveryGaugeStepAndOnlyChanges) {
    const RunReport report = run();
    ASSERT_EQ(report.failureCount(), 0);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front().percent, 0);
    for (std::size_t at = 1; at < shown.size(); ++at) {
        EXPECT_NE(shown[at], shown[at - 1]) << "a hand-off that changes nothing, at " << at;
        // No step of the gauge is left out.
        EXPECT_LE(shown[at].percent, shown[at - 1].percent + 1) << at;
        EXPECT_GE(shown[at].percent, shown[at - 1].percent) << at;
        for (const Counter kind : kAllCounters) {
            EXPECT_LE(shown[at].counters[kind], report.counts[kind]);
            EXPECT_GE(shown[at].counters[kind], shown[at - 1].counters[kind]);
        }
    }
    EXPECT_EQ(shown.back().percent, 100);
    EXPECT_LT(shown.size(), recordReports() / 4);
}

TEST_F(WindowHandOff, HandsOverEveryRecordWhenAsked) {
    host.handOffEveryRecord = true;
    const RunReport report = run();
    ASSERT_EQ(report.failureCount(), 0);
    EXPECT_EQ(shown.size(), recordReports());
    EXPECT_EQ(shown.back().counters, report.counts);
}

TEST_F(WindowHandOff, SwitchesSetOnTheWindowThreadReachTheRun) {
    // At the first hand-off, before any archive has ended, GRIB goes off.
    onShown = [this](const ProgressSnapshot&) { host.setKindSelected(ProductKind::Grib, false); };
    const RunReport report = run();
    EXPECT_EQ(report.counts[Counter::Grib], 0);
    EXPECT_GT(report.counts[Counter::Bufr], 0);
}

TEST_F(WindowHandOff, ClosingWindowReleasesAWaitingRun) {
    // A window that never gets round to showing anything: the run waits at its first hand-off.
    std::mutex mutex;
    std::condition_variable posted;
    bool waiting = false;
    WindowRunHost stuck(
        [&](std::function<void()>) {
            const std::lock_guard lock(mutex);
            waiting = true;
            posted.notify_all();
        },
        [](const ProgressSnapshot&) {});
    stuck.prepareRun(sig);
    RunReport report;
    std::jthread worker([&](std::stop_token stop) {
        ExtractionRun extraction(stuck, out, stop);
        report = extraction.RunExtraction();
    });
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(posted.wait_for(lock, std::chrono::seconds(10), [&] { return waiting; }));
    }
    const auto closing = std::chrono::steady_clock::now();
    stuck.shutDown();
    worker.request_stop();
    worker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(2));
    EXPECT_TRUE(report.stopped);
}

}  // namespace
}  // namespace veltrane
