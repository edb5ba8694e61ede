#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane::testdata {

inline constexpr std::string_view kDefaultSamplesFolder = "/usr/share/eccodes/samples";

// Editions 1 and 2 in several sizes, from a hundred bytes to tens of KiB.
inline constexpr std::array<std::string_view, 8> kGribSampleFiles{"GRIB1.tmpl",
                                                                  "GRIB2.tmpl",
                                                                  "regular_ll_sfc_grib1.tmpl",
                                                                  "regular_ll_sfc_grib2.tmpl",
                                                                  "sh_sfc_grib1.tmpl",
                                                                  "sh_sfc_grib2.tmpl",
                                                                  "gg_sfc_grib1.tmpl",
                                                                  "gg_sfc_grib2.tmpl"};
inline constexpr std::array<std::string_view, 2> kBufrSampleFiles{"BUFR3.tmpl", "BUFR4.tmpl"};

struct SampleMessage {
    std::string fileName;
    int edition = 0;
    std::string bytes;  // exactly one message, from its "GRIB"/"BUFR" to its "7777"
};

struct SampleMessages {
    std::vector<SampleMessage> grib;
    std::vector<SampleMessage> bufr;
};

class SampleError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Total length declared in a message's indicator section, or nothing if the bytes do not start
// with a complete indicator section of a known edition.
std::optional<std::uint64_t> declaredGribLength(std::string_view message);
std::optional<std::uint64_t> declaredBufrLength(std::string_view message);

// Reads the sample files listed above that exist in `folder`. Throws SampleError if the folder is
// missing or a present file is unreadable or not a complete message; callers check that the
// kinds they need were found.
SampleMessages loadSampleMessages(const std::filesystem::path& folder);

}  // namespace veltrane::testdata
