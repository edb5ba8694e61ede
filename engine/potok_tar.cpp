#include "engine/potok_tar.h"

#include <utility>

namespace veltrane {

TPotokTAR::TPotokTAR(RunHost& host, std::filesystem::path outputBase, FinishedHandler onFinished,
                     RunOptions options)
    : thread_([this, &host, base = std::move(outputBase), finished = std::move(onFinished),
               options](std::stop_token stop) {
          ExtractionRun run(host, base, std::move(stop), options);
          report_ = run.RunExtraction();
          running_.store(false, std::memory_order_release);
          if (finished) {
              finished(report_);
          }
      }) {}

TPotokTAR::~TPotokTAR() {
    thread_.request_stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

const RunReport& TPotokTAR::waitForReport() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return report_;
}

}  // namespace veltrane
