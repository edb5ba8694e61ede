#include "make_sig/arguments.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>
#include <string>

#include "testdata/sig_writer.h"

namespace veltrane::testdata {

namespace {

std::uint64_t parseUnsigned(std::string_view text, std::string_view what) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error == std::errc::result_out_of_range) {
        throw std::invalid_argument(std::string(what) + " out of range or empty: '" +
                                    std::string(text) + "'");
    }
    if (error != std::errc{} || end != text.data() + text.size()) {
        throw std::invalid_argument(std::string(what) + " is not a number: '" + std::string(text) +
                                    "'");
    }
    return value;
}

}  // namespace

std::uint64_t parseByteSize(std::string_view text) {
    unsigned shift = 0;
    std::string_view digits = text;
    if (!text.empty()) {
        switch (text.back()) {
            case 'K':
            case 'k':
                shift = 10;
                break;
            case 'M':
            case 'm':
                shift = 20;
                break;
            case 'G':
            case 'g':
                shift = 30;
                break;
            default:
                break;
        }
        if (shift != 0) {
            digits.remove_suffix(1);
        }
    }
    const std::uint64_t value = parseUnsigned(digits, "size");
    if (value == 0) {
        throw std::invalid_argument("size must be positive: '" + std::string(text) + "'");
    }
    if (value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
        throw std::invalid_argument("size too large: '" + std::string(text) + "'");
    }
    return value << shift;
}

std::uint64_t parseSeed(std::string_view text) {
    return parseUnsigned(text, "seed");
}

std::pair<std::size_t, std::size_t> parseRecordRange(std::string_view text) {
    const auto dash = text.find('-');
    const std::uint64_t low = parseUnsigned(text.substr(0, dash), "record size");
    const std::uint64_t high =
        dash == std::string_view::npos ? low : parseUnsigned(text.substr(dash + 1), "record size");
    if (low == 0 || low > high || high > kSigMaxPayload) {
        throw std::invalid_argument(
            "record sizes must satisfy 1 <= MIN <= MAX <= " + std::to_string(kSigMaxPayload) +
            ": '" + std::string(text) + "'");
    }
    return {static_cast<std::size_t>(low), static_cast<std::size_t>(high)};
}

std::vector<ProductKind> parseKindList(std::string_view text) {
    std::vector<ProductKind> kinds;
    while (true) {
        const auto comma = text.find(',');
        const std::string_view name = text.substr(0, comma);
        const auto kind = productKindFromName(name);
        if (!kind) {
            throw std::invalid_argument("unknown product kind '" + std::string(name) +
                                        "' (expected grib, bufr, png, imag, fax, text)");
        }
        if (std::find(kinds.begin(), kinds.end(), *kind) == kinds.end()) {
            kinds.push_back(*kind);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    return kinds;
}

}  // namespace veltrane::testdata
