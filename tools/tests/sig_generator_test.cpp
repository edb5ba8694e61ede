#include "testdata/sig_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "fixture_reader.h"
#include "sample_fixtures.h"
#include "testdata/byte_sink.h"
#include "testdata/products.h"

using namespace veltrane::testdata;

namespace {

std::string generate(const GeneratorOptions& options, GenerationCounts* counts = nullptr) {
    const ProductFactory factory(fixture::fakeSamples(), options.seed);
    std::string sig;
    StringSink sink(sig);
    const GenerationCounts result = generateSig(sink, factory, options);
    if (counts != nullptr) {
        *counts = result;
    }
    return sig;
}

// Identifies a member the way readers do: by what follows its heading.
ProductKind classify(const std::string& data) {
    const std::string_view product = std::string_view(data).substr(kWmoHeadingSize);
    if (product.starts_with("GRIB")) {
        return ProductKind::Grib;
    }
    if (product.starts_with("BUFR")) {
        return ProductKind::Bufr;
    }
    if (product.starts_with(std::string_view("\x89PNG", 4))) {
        return ProductKind::Png;
    }
    if (product.starts_with("IMAG")) {
        return ProductKind::Imag;
    }
    if (product.starts_with("DFAX")) {
        return ProductKind::Fax;
    }
    return ProductKind::Text;
}

}  // namespace

TEST(SigGenerator, generated_file_holds_what_the_counts_say) {
    GeneratorOptions options;
    options.targetSize = 12u << 20;
    options.seed = 3;
    GenerationCounts counts;
    const std::string sig = generate(options, &counts);
    EXPECT_EQ(counts.bytes, std::uint64_t{sig.size()});

    const fixture::Walk walk = fixture::walkSig(sig);
    EXPECT_TRUE(!walk.unterminated);
    EXPECT_EQ(std::uint64_t{walk.archives.size()}, counts.archives);
    EXPECT_TRUE(!walk.noisePayloads.empty());
    std::array<std::uint64_t, kAllProductKinds.size()> byKind{};
    std::uint64_t members = 0;
    std::size_t skips = 0;
    std::set<std::string> archiveNames;
    std::set<std::string> memberNames;
    for (const auto& archive : walk.archives) {
        EXPECT_TRUE(isValidArchiveName(archive.name));
        EXPECT_TRUE(archiveNames.insert(archive.name).second);
        skips += archive.skipRecords;
        const auto listed = fixture::listTar(archive.bytes);
        EXPECT_TRUE(!listed.empty());
        for (const auto& member : listed) {
            EXPECT_TRUE(memberNames.insert(member.name).second);
            ++byKind[static_cast<std::size_t>(classify(member.data))];
            ++members;
        }
    }
    EXPECT_EQ(members, counts.members);
    for (const ProductKind kind : kAllProductKinds) {
        EXPECT_EQ(byKind[static_cast<std::size_t>(kind)], counts.of(kind));
        EXPECT_TRUE(counts.of(kind) > 0);
    }
    EXPECT_TRUE(skips > 0);
    // Tens of members per archive, and not always the same number.
    EXPECT_TRUE(members >= 10 * walk.archives.size());
}

TEST(SigGenerator, generated_size_follows_the_target) {
    struct Case {
        std::uint64_t target;
        std::uint64_t lowest;
        std::uint64_t highest;
    };
    // Tiny targets still get one whole archive; larger ones are topped up to the byte.
    const std::vector<Case> cases{{1, 1, 64 << 10},
                                  {64 << 10, (64 << 10) - 34, (64 << 10) + (16 << 10)},
                                  {1 << 20, (1 << 20) - 34, (1 << 20) + (16 << 10)},
                                  {5 << 20, (5 << 20) - 34, (5 << 20) + (16 << 10)}};
    for (const auto& c : cases) {
        GeneratorOptions options;
        options.targetSize = c.target;
        options.kinds = {ProductKind::Text, ProductKind::Imag, ProductKind::Bufr};
        GenerationCounts counts;
        const std::string sig = generate(options, &counts);
        EXPECT_TRUE(sig.size() >= c.lowest && sig.size() <= c.highest);
        EXPECT_TRUE(counts.archives >= 1);
        EXPECT_EQ(fixture::walkSig(sig).archives.size(), counts.archives);
    }
}

TEST(SigGenerator, same_options_give_same_bytes) {
    GeneratorOptions options;
    options.targetSize = 2u << 20;
    options.seed = 11;
    const std::string first = generate(options);
    EXPECT_TRUE(first == generate(options));
    options.seed = 12;
    EXPECT_TRUE(first != generate(options));
}

TEST(SigGenerator, data_records_stay_in_the_requested_size_range) {
    GeneratorOptions options;
    options.targetSize = 3u << 20;
    options.recordMin = 1024;
    options.recordMax = 2048;
    const fixture::Walk walk = fixture::walkSig(generate(options));
    for (const auto& archive : walk.archives) {
        const auto& sizes = archive.dataPayloadSizes;
        ASSERT_TRUE(!sizes.empty());
        // One byte of slack for a boundary moved off a marker; the last record takes the rest.
        for (std::size_t i = 0; i + 1 < sizes.size(); ++i) {
            EXPECT_TRUE(sizes[i] >= 1023 && sizes[i] <= 2049);
        }
        EXPECT_TRUE(sizes.back() <= 2049);
    }
}

TEST(SigGenerator, mix_restricts_the_product_kinds) {
    GeneratorOptions options;
    options.targetSize = 2u << 20;
    options.kinds = {ProductKind::Png, ProductKind::Fax};
    GenerationCounts counts;
    const std::string sig = generate(options, &counts);
    EXPECT_EQ(counts.of(ProductKind::Png) + counts.of(ProductKind::Fax), counts.members);
    for (const auto& archive : fixture::walkSig(sig).archives) {
        for (const auto& member : fixture::listTar(archive.bytes)) {
            const ProductKind kind = classify(member.data);
            EXPECT_TRUE(kind == ProductKind::Png || kind == ProductKind::Fax);
        }
    }
}

TEST(SigGenerator, inconsistent_options_are_rejected) {
    const ProductFactory factory(fixture::fakeSamples(), 1);
    const ProductFactory withoutSamples(SampleMessages{}, 1);
    std::string sig;
    StringSink sink(sig);
    const auto rejected = [&](const ProductFactory& f, GeneratorOptions options) {
        EXPECT_THROW(generateSig(sink, f, options), std::invalid_argument);
    };
    GeneratorOptions options;
    options.targetSize = 0;
    rejected(factory, options);
    options = {};
    options.recordMin = 0;
    rejected(factory, options);
    options = {};
    options.recordMin = 5000;
    options.recordMax = 4000;
    rejected(factory, options);
    options = {};
    options.recordMax = kSigMaxPayload + 1;
    rejected(factory, options);
    options = {};
    options.kinds.clear();
    rejected(factory, options);
    rejected(withoutSamples, GeneratorOptions{});
    EXPECT_TRUE(sig.empty());
}

TEST(SigGenerator, manifest_lists_counts_in_fixed_order) {
    GenerationCounts counts;
    counts.archives = 3;
    counts.members = 21;
    counts.byKind = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(formatManifest(counts), std::string("archives 3\nmembers 21\ngrib 1\nbufr 2\npng 3\n"
                                                  "imag 4\nfax 5\ntext 6\n"));
}
