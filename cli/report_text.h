#pragma once

#include <cstdio>
#include <vector>

#include "engine/run_types.h"

namespace veltrane::cli {

// "tar 3  grib 40  bufr 12 ..." for all runs together, then a line per SIG file.
void printSummary(std::FILE* out, const std::vector<RunReport>& reports);

// One line per failure ("failed") and, unless quiet, per warning.
void printProblems(std::FILE* out, const RunReport& report, bool includeWarnings);

}  // namespace veltrane::cli
