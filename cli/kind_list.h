#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/run_types.h"

namespace veltrane::cli {

// Parses "grib,bufr,png,imag,fax,ascii" or "all". On an unknown or empty word, returns nullopt
// and names it in `problem`.
std::optional<KindSelection> parseKindList(std::string_view list, std::string& problem);

}  // namespace veltrane::cli
