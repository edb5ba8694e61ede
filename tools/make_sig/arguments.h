#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "testdata/products.h"

namespace veltrane::testdata {

// Parsers for veltrane-make-sig option values; each throws std::invalid_argument with a message
// fit for the user.

// A positive byte count with an optional suffix K, M or G (KiB, MiB, GiB), e.g. "1G", "4096".
std::uint64_t parseByteSize(std::string_view text);

// A decimal unsigned 64-bit number; signs, spaces and other bases are refused rather than
// wrapped into some other seed.
std::uint64_t parseSeed(std::string_view text);

// "MIN-MAX" (or a single "N") with 1 <= MIN <= MAX <= 65502.
std::pair<std::size_t, std::size_t> parseRecordRange(std::string_view text);

// Comma-separated product kinds (grib,bufr,png,imag,fax,text), duplicates ignored.
std::vector<ProductKind> parseKindList(std::string_view text);

}  // namespace veltrane::testdata
