#pragma once
// Turns an interrupt (Ctrl-C), a terminate or a hang-up into a stop request, so that a run
// ends at its next record or copy chunk and removes the file it was writing instead of leaving
// a hidden temporary file behind, as dying on the signal would. A second signal ends the program
// at once, for a user who will not wait.

#include <atomic>
#include <csignal>
#include <stop_token>
#include <thread>

namespace veltrane::cli {

class StopOnSignal {
  public:
    // Blocks the signals in the calling thread: construct it before any other thread starts,
    // since threads inherit the mask. The destructor gives the thread its old mask back.
    StopOnSignal();
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

    std::stop_token token() const { return stop_.get_token(); }
    // The signal that asked for the stop, or 0.
    int signal() const { return signal_.load(); }

  private:
    std::stop_source stop_;
    sigset_t watched_{};
    sigset_t previousMask_{};
    std::atomic<int> signal_{0};
    std::thread watcher_;
};

}  // namespace veltrane::cli
