#include "cli/progress_meter.h"

namespace veltrane::cli {
namespace {

// Reading the clock after every record would be the costliest part of a small-record run.
constexpr std::uint32_t kRecordsPerClockCheck = 64;
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

}  // namespace

ProgressMeter::ProgressMeter(std::FILE* terminal, std::size_t fileCount)
    : terminal_(terminal), fileCount_(fileCount) {}

void ProgressMeter::startFile(std::size_t index) {
    fileIndex_ = index;
    fileStart_ = Clock::now();
    lastDraw_ = Clock::time_point{};
    callsSinceClockCheck_ = kRecordsPerClockCheck;  // draw on the first record
}

void ProgressMeter::update(const RunProgress& progress) {
    if (++callsSinceClockCheck_ < kRecordsPerClockCheck) {
        return;
    }
    callsSinceClockCheck_ = 0;
    const auto now = Clock::now();
    if (now - lastDraw_ >= kRedrawInterval) {
        draw(progress, now);
    }
}

void ProgressMeter::draw(const RunProgress& progress, Clock::time_point now) {
    lastDraw_ = now;
    const double seconds = std::chrono::duration<double>(now - fileStart_).count();
    const double mibPerSecond =
        seconds > 0 ? static_cast<double>(progress.SigPosition) / seconds / (1 << 20) : 0.0;
    std::fprintf(terminal_, "\r%3d%%  %8.1f MiB/s  file %zu/%zu\x1b[K",
                 gaugePercent(progress.SigPosition, progress.SigFileSize), mibPerSecond,
                 fileIndex_ + 1, fileCount_);
    std::fflush(terminal_);
    drawn_ = true;
}

void ProgressMeter::clear() {
    if (drawn_) {
        std::fputs("\r\x1b[K", terminal_);
        std::fflush(terminal_);
        drawn_ = false;
    }
}

}  // namespace veltrane::cli
