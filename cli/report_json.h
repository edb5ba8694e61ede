#pragma once

#include <string>
#include <vector>

#include "engine/run_types.h"

namespace veltrane::cli {

// {"runs": [{"sig", "bytes", "counts", "failures", "warnings"}], "totals": {...}}
std::string reportsToJson(const std::vector<RunReport>& reports);

// A JSON string literal. Paths come from untrusted archives: control bytes are escaped and
// bytes that are not UTF-8 are read as Latin-1, so the output is always valid JSON.
std::string jsonString(std::string_view text);

}  // namespace veltrane::cli
