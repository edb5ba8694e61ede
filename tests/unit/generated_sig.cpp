// Kept apart from the Qt code: the generator's headers use a name that Qt defines as a macro.

#include "generated_sig.h"

#include "sample_fixtures.h"
#include "testdata/byte_sink.h"
#include "testdata/products.h"
#include "testdata/sig_generator.h"

namespace veltrane::testing_support {

std::string generatedSig(std::size_t targetSize, std::size_t recordMin, std::size_t recordMax,
                         std::uint64_t seed, testdata::GenerationCounts* counts) {
    testdata::GeneratorOptions options;
    options.targetSize = targetSize;
    options.recordMin = recordMin;
    options.recordMax = recordMax;
    options.seed = seed;
    const testdata::ProductFactory factory(testdata::fixture::fakeSamples(), seed);
    std::string sig;
    testdata::StringSink sink(sig);
    const auto made = testdata::generateSig(sink, factory, options);
    if (counts != nullptr) {
        *counts = made;
    }
    return sig;
}

}  // namespace veltrane::testing_support
