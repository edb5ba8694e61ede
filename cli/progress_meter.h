#pragma once
// The one-line progress display of the command line: percentage, speed and file i of n,
// redrawn a few times a second on a terminal and never otherwise.

#include <chrono>
#include <cstdint>
#include <cstdio>

#include "engine/run_host.h"

namespace veltrane::cli {

class ProgressMeter {
  public:
    ProgressMeter(std::FILE* terminal, std::size_t fileCount);

    void startFile(std::size_t index);
    // Called after every record: cheap unless a redraw is due.
    void update(const RunProgress& progress);
    // Clears the line before other output goes to the terminal.
    void clear();

  private:
    using Clock = std::chrono::steady_clock;
    void draw(const RunProgress& progress, Clock::time_point now);

    std::FILE* terminal_;
    std::size_t fileCount_;
    std::size_t fileIndex_ = 0;
    std::uint32_t callsSinceClockCheck_ = 0;
    Clock::time_point fileStart_;
    Clock::time_point lastDraw_;
    bool drawn_ = false;
};

}  // namespace veltrane::cli
