#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrane::testdata {
struct GenerationCounts;
}

namespace veltrane::testing_support {

// A generated SIG file of about `targetSize` bytes with many archives of every kind, in
// records of recordMin to recordMax bytes.
std::string generatedSig(std::size_t targetSize, std::size_t recordMin, std::size_t recordMax,
                         std::uint64_t seed = 7, testdata::GenerationCounts* counts = nullptr);

}  // namespace veltrane::testing_support
