// The command line's Ctrl-C: a signal becomes a stop request the run can honour, instead of
// killing the process with a temporary file left behind.

#include "cli/stop_on_signal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace veltrane {
namespace {

bool stopArrives(const cli::StopOnSignal& watch) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!watch.token().stop_requested()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(StopOnSignal, EachWatchedSignalBecomesAStopRequest) {
    for (const int sent : {SIGINT, SIGTERM, SIGHUP}) {
        const cli::StopOnSignal watch;
        EXPECT_FALSE(watch.token().stop_requested());
        EXPECT_EQ(watch.signal(), 0);
        ASSERT_EQ(::kill(::getpid(), sent), 0);
        ASSERT_TRUE(stopArrives(watch)) << sent;
        EXPECT_EQ(watch.signal(), sent);
    }
}

TEST(StopOnSignal, EndsQuietlyWhenNoSignalCame) {
    sigset_t before;
    pthread_sigmask(SIG_SETMASK, nullptr, &before);
    {
        const cli::StopOnSignal watch;
        EXPECT_FALSE(watch.token().stop_requested());
    }
    sigset_t after;
    pthread_sigmask(SIG_SETMASK, nullptr, &after);
    // The thread's mask is as it was: a later Ctrl-C acts as it always did.
    EXPECT_EQ(sigismember(&after, SIGINT), sigismember(&before, SIGINT));
    EXPECT_EQ(sigismember(&after, SIGTERM), sigismember(&before, SIGTERM));
}

}  // namespace
}  // namespace veltrane
