#include "app/progress_snapshot.h"

namespace veltrane::app {

ProgressSnapshot ProgressSnapshot::of(const RunProgress& progress) {
    return {gaugePercent(progress.SigPosition, progress.SigFileSize), progress.counters};
}

}  // namespace veltrane::app
