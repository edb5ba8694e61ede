// veltrane-make-sig: writes a SIG file of TAR archives holding weather products, for tests and
// benchmarks, plus an optional manifest of what a reader should find in it.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>

#include "make_sig/arguments.h"
#include "testdata/byte_sink.h"
#include "testdata/products.h"
#include "testdata/sample_messages.h"
#include "testdata/sig_generator.h"

namespace {

using namespace veltrane::testdata;

constexpr int kExitOk = 0;
constexpr int kExitWriteFailure = 1;
constexpr int kExitUsage = 2;

int report(int code, const std::string& message) {
    std::fprintf(stderr, "veltrane-make-sig: %s\n", message.c_str());
    return code;
}

bool wants(const GeneratorOptions& options, ProductKind kind) {
    return std::find(options.kinds.begin(), options.kinds.end(), kind) != options.kinds.end();
}

int run(int argc, char** argv) {
    CLI::App app{"Writes a SIG file of TAR archives holding weather products."};
    std::string output;
    std::string size = "1M";
    std::string records = "4096-65502";
    std::string seed = "1";
    std::string samplesFolder(kDefaultSamplesFolder);
    std::string manifest;
    std::string mix;
    app.add_option("OUTPUT", output, "SIG file to write")->required();
    app.add_option("--size", size, "approximate size of the SIG file (suffixes K, M, G)")
        ->capture_default_str();
    app.add_option("--records", records, "payload sizes of data records, MIN-MAX")
        ->capture_default_str();
    app.add_option("--seed", seed, "PRNG seed; the same arguments give the same bytes")
        ->capture_default_str();
    app.add_option("--samples", samplesFolder, "ecCodes samples folder")->capture_default_str();
    app.add_option("--manifest", manifest, "write the expected counts as \"key value\" lines");
    app.add_option("--mix", mix, "product kinds to use: grib,bufr,png,imag,fax,text (default all)");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return report(kExitUsage, std::string(e.what()) + " (see --help)");
    }

    GeneratorOptions options;
    try {
        options.seed = parseSeed(seed);
        options.targetSize = parseByteSize(size);
        std::tie(options.recordMin, options.recordMax) = parseRecordRange(records);
        if (!mix.empty()) {
            options.kinds = parseKindList(mix);
        }
    } catch (const std::invalid_argument& e) {
        return report(kExitUsage, e.what());
    }

    SampleMessages samples;
    if (wants(options, ProductKind::Grib) || wants(options, ProductKind::Bufr)) {
        try {
            samples = loadSampleMessages(samplesFolder);
        } catch (const SampleError& e) {
            return report(kExitUsage, e.what());
        }
        if (wants(options, ProductKind::Grib) && samples.grib.empty()) {
            return report(kExitUsage,
                          "no GRIB templates (GRIB1.tmpl, GRIB2.tmpl, ...) in " + samplesFolder);
        }
        if (wants(options, ProductKind::Bufr) && samples.bufr.empty()) {
            return report(kExitUsage,
                          "no BUFR templates (BUFR3.tmpl, BUFR4.tmpl) in " + samplesFolder);
        }
    }

    try {
        const ProductFactory factory(std::move(samples), options.seed);
        FileSink sink(output);
        const GenerationCounts counts = generateSig(sink, factory, options);
        sink.close();
        if (!manifest.empty()) {
            FileSink manifestSink(manifest);
            manifestSink.write(formatManifest(counts));
            manifestSink.close();
        }
    } catch (const WriteError& e) {
        return report(kExitWriteFailure, e.what());
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        return report(kExitWriteFailure, e.what());
    }
}
