#pragma once
// What the main window shows of a run's progress: the gauge's percentage and the seven counters.
// The worker hands progress to the window after every record; comparing snapshots lets it skip
// the hand-off when the window would show exactly what it already shows.

#include <cstdint>

#include "engine/run_host.h"
#include "engine/run_types.h"

namespace veltrane::app {

struct ProgressSnapshot {
    int percent = 0;  // 0 to 100
    RunCounters counters;

    static ProgressSnapshot of(const RunProgress& progress);
    bool operator==(const ProgressSnapshot&) const = default;
};

}  // namespace veltrane::app
