#include "cli/stop_on_signal.h"

#include <pthread.h>

#include <cstdlib>

namespace veltrane::cli {
namespace {

// Sent by the destructor to end the wait; never sent from outside in practice, and harmless
// if it were: it only ends the watch.
constexpr int kWakeSignal = SIGUSR2;

}  // namespace

StopOnSignal::StopOnSignal() {
    sigemptyset(&watched_);
    for (const int watched : {SIGINT, SIGTERM, SIGHUP, kWakeSignal}) {
        sigaddset(&watched_, watched);
    }
    pthread_sigmask(SIG_BLOCK, &watched_, &previousMask_);
    watcher_ = std::thread([this] {
        for (;;) {
            int received = 0;
            if (sigwait(&watched_, &received) != 0 || received == kWakeSignal) {
                return;
            }
            if (signal_.exchange(received) != 0) {
                std::_Exit(128 + received);
            }
            stop_.request_stop();
        }
    });
}

StopOnSignal::~StopOnSignal() {
    pthread_kill(watcher_.native_handle(), kWakeSignal);
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

}  // namespace veltrane::cli
