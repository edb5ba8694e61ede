#pragma once
// A run on a worker thread of its own, for front ends that must stay responsive meanwhile.

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "engine/extraction_run.h"
#include "engine/run_host.h"
#include "engine/run_types.h"

namespace veltrane {

class TPotokTAR {
  public:
    using FinishedHandler = std::function<void(const RunReport&)>;

    // Starts the run at once. The host is called from the worker thread; onFinished, when
    // given, is called there too, with the report, as the last thing the worker does.
    TPotokTAR(RunHost& host, std::filesystem::path outputBase, FinishedHandler onFinished = {},
              RunOptions options = {});

    // Asks the run to stop at its next record or copy chunk and waits for it: a run never
    // outlives the objects it reports to. What it had not finished is removed.
    ~TPotokTAR();

    TPotokTAR(const TPotokTAR&) = delete;
    TPotokTAR& operator=(const TPotokTAR&) = delete;

    void requestStop() { thread_.request_stop(); }
    bool isRunning() const { return running_.load(std::memory_order_acquire); }

    // Waits for the run to end and returns its report.
    const RunReport& waitForReport();

  private:
    std::atomic<bool> running_{true};
    RunReport report_;
    std::jthread thread_;  // declared last: it starts once everything above exists
};

}  // namespace veltrane
