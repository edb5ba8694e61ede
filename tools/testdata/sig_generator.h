#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "testdata/byte_sink.h"
#include "testdata/products.h"
#include "testdata/sig_writer.h"

namespace veltrane::testdata {

struct GeneratorOptions {
    std::uint64_t targetSize = std::uint64_t{1} << 20;
    // Payload sizes of data records, inclusive; a boundary moved off a marker may leave a record
    // one byte outside the range.
    std::size_t recordMin = 4096;
    std::size_t recordMax = kSigMaxPayload;
    std::uint64_t seed = 1;
    std::vector<ProductKind> kinds{kAllProductKinds.begin(), kAllProductKinds.end()};
};

// What a correct reader should find in the generated file.
struct GenerationCounts {
    std::uint64_t archives = 0;
    std::uint64_t members = 0;
    std::array<std::uint64_t, kAllProductKinds.size()> byKind{};
    std::uint64_t bytes = 0;

    std::uint64_t of(ProductKind kind) const { return byKind[static_cast<std::size_t>(kind)]; }
};

// Streams a SIG file of about options.targetSize bytes (at least one archive) to the sink:
// noise records between archives of tens of members each, occasional skip records inside
// archives. Only one archive (a few MiB at most) is held in memory at a time. Throws
// std::invalid_argument for inconsistent options or kinds the factory cannot make; write
// failures propagate from the sink.
GenerationCounts generateSig(ByteSink& sink, const ProductFactory& factory,
                             const GeneratorOptions& options);

// "key value" lines: archives, members, grib, bufr, png, imag, fax, text.
std::string formatManifest(const GenerationCounts& counts);

}  // namespace veltrane::testdata
