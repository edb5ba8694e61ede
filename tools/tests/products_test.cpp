#include "testdata/products.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "fixture_reader.h"
#include "sample_fixtures.h"
#include "testdata/prng.h"
#include "testdata/sample_messages.h"

using namespace veltrane::testdata;

namespace {

std::size_t headingSize(ProductKind kind) {
    return kind == ProductKind::Fax ? kFaxHeadingSize : kWmoHeadingSize;
}

void checkHeading(const Member& member) {
    const std::string heading = member.data.substr(0, headingSize(member.kind));
    EXPECT_TRUE(heading.starts_with("\x01\r\r\n"));
    EXPECT_TRUE(std::all_of(heading.begin() + 4, heading.begin() + 9, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    }));
    EXPECT_EQ(heading.substr(9, 3), std::string("\r\r\n"));
    EXPECT_EQ(heading.substr(30, 3), std::string("\r\r\n"));
    EXPECT_EQ(heading.find('\0'), std::string::npos);
    EXPECT_TRUE(!containsProductSignature(heading.substr(0, kWmoHeadingSize)));
    // The name repeats the heading's TTAAii, CCCC and YYGGgg.
    EXPECT_EQ(member.name.substr(0, 20),
              "A_" + heading.substr(12, 6) + heading.substr(19, 4) + heading.substr(24, 6) + "_C");
}

void checkBody(const Member& member, const SampleMessages& samples) {
    const std::string_view data = member.data;
    const std::string_view product = data.substr(headingSize(member.kind));
    switch (member.kind) {
        case ProductKind::Grib: {
            const auto length = declaredGribLength(product);
            ASSERT_TRUE(length.has_value());
            EXPECT_EQ(product.size(), *length + 4);
            EXPECT_TRUE(product.ends_with(kWmoEndOfMessage));
            const std::string message(product.substr(0, *length));
            EXPECT_TRUE(std::any_of(samples.grib.begin(), samples.grib.end(),
                                    [&](const SampleMessage& s) { return s.bytes == message; }));
            break;
        }
        case ProductKind::Bufr: {
            const auto length = declaredBufrLength(product);
            ASSERT_TRUE(length.has_value());
            // Readers copy the declared length plus four bytes: exactly the rest of the member.
            EXPECT_EQ(product.size(), *length + 4);
            EXPECT_EQ(product.substr(*length - 4), std::string_view("7777\r\r\n\x03"));
            break;
        }
        case ProductKind::Png:
            EXPECT_TRUE(product.starts_with(std::string_view("\x89PNG\r\n\x1a\n", 8)));
            EXPECT_TRUE(product.ends_with(std::string_view("\0\0\0\0IEND\xae\x42\x60\x82", 12)));
            EXPECT_TRUE(!containsProductSignature(product.substr(4)));
            break;
        case ProductKind::Imag:
            EXPECT_TRUE(product.starts_with("IMAG"));
            EXPECT_TRUE(product.size() - 4 >= kImagMinBody && product.size() - 4 <= kImagMaxBody);
            EXPECT_TRUE(!containsProductSignature(product.substr(4)));
            break;
        case ProductKind::Fax:
            EXPECT_TRUE(data.substr(kWmoHeadingSize).starts_with("DFAX"));
            EXPECT_TRUE(product.size() >= kFaxMinBody && product.size() <= kFaxMaxBody);
            EXPECT_TRUE(!containsProductSignature(product));
            break;
        case ProductKind::Text: {
            ASSERT_TRUE(product.ends_with(kWmoEndOfMessage));
            const std::string_view body =
                product.substr(0, product.size() - kWmoEndOfMessage.size());
            EXPECT_TRUE(body.size() >= kTextMinBody && body.size() <= kTextMaxBody);
            EXPECT_TRUE(!containsProductSignature(body));
            for (std::size_t i = 0; i < body.size(); ++i) {
                const auto c = static_cast<unsigned char>(body[i]);
                if (c == '\n') {
                    EXPECT_TRUE(i >= 2 && body.substr(i - 2, 3) == "\r\r\n");
                } else if (c != '\r') {
                    EXPECT_TRUE(c >= 0x20 && c < 0x7F);
                }
            }
            break;
        }
    }
}

}  // namespace

TEST(Products, wmo_heading_has_fixed_layout) {
    const std::string heading = wmoHeading(123, "HTXA50", "KWBC", "111200");
    EXPECT_EQ(heading, std::string("\x01\r\r\n00123\r\r\nHTXA50 KWBC 111200\r\r\n"));
    EXPECT_EQ(heading.size(), kWmoHeadingSize);
    EXPECT_EQ(wmoHeading(123456, "HTXA50", "KWBC", "111200").substr(4, 5), std::string("23456"));
    const std::string fax = faxHeading(7, "PPVA89", "EGRR", "010000");
    EXPECT_EQ(fax.size(), kFaxHeadingSize);
    EXPECT_EQ(fax.substr(kWmoHeadingSize), std::string("DFAX1802\n"));
}

TEST(Products, heading_fields_of_wrong_size_are_rejected) {
    EXPECT_THROW(wmoHeading(1, "HTXA5", "KWBC", "111200"), std::invalid_argument);
    EXPECT_THROW(wmoHeading(1, "HTXA50", "KWBCX", "111200"), std::invalid_argument);
    EXPECT_THROW(wmoHeading(1, "HTXA50", "KWBC", "1112"), std::invalid_argument);
    EXPECT_THROW(wmoHeading(1,
                            std::string("HTX\0"
                                        "50",
                                        6),
                            "KWBC", "111200"),
                 std::invalid_argument);
    EXPECT_THROW(faxHeading(1, "PPVA89", "EGRR", "010000", "XFAX1802\n"), std::invalid_argument);
    EXPECT_THROW(faxHeading(1, "PPVA89", "EGRR", "010000", "DFAX18\n"), std::invalid_argument);
    EXPECT_THROW(faxHeading(1, "PPVA89", "EGRR", "010000",
                            std::string("DFAX\0"
                                        "802\n",
                                        9)),
                 std::invalid_argument);
}

TEST(Products, designators_and_centres_never_spell_a_signature) {
    for (const ProductKind kind : kAllProductKinds) {
        for (const auto ttaaii : ttaaiiChoices(kind)) {
            EXPECT_EQ(ttaaii.size(), std::size_t{6});
            EXPECT_TRUE(!containsProductSignature(ttaaii));
        }
    }
    for (const auto cccc : originCentreChoices()) {
        EXPECT_EQ(cccc.size(), std::size_t{4});
        EXPECT_TRUE(!containsProductSignature(cccc));
    }
    EXPECT_TRUE(containsProductSignature("xxPNGxx"));
    EXPECT_TRUE(containsProductSignature("DFAX"));
    EXPECT_TRUE(!containsProductSignature("GRI BUF IMA PN DFA"));
}

TEST(Products, reverse_bits_mirrors_each_byte) {
    EXPECT_EQ(reverseBits(std::string("\x01\x80\xF0\x12\x00\xFF\xA5", 7)),
              std::string("\x80\x01\x0F\x48\x00\xFF\xA5", 7));
    EXPECT_EQ(reverseBits(""), std::string());
}

TEST(Products, factory_members_of_every_kind_are_well_formed) {
    const SampleMessages samples = fixture::fakeSamples();
    const ProductFactory factory(samples, 42);
    Prng rng(7);
    std::set<std::string> names;
    std::uint64_t serial = 1;
    std::size_t gribWithExtension = 0;
    for (const ProductKind kind : kAllProductKinds) {
        for (int i = 0; i < 40; ++i) {
            const Member member = factory.make(kind, serial++, rng);
            EXPECT_EQ(member.kind, kind);
            checkHeading(member);
            checkBody(member, samples);
            EXPECT_TRUE(names.insert(member.name).second);
            EXPECT_TRUE(member.name.size() <= 100);
            if (member.name.ends_with(".grb")) {
                EXPECT_EQ(kind, ProductKind::Grib);
                ++gribWithExtension;
            } else {
                EXPECT_TRUE(member.name.ends_with(".bin"));
            }
        }
    }
    EXPECT_TRUE(gribWithExtension > 0 && gribWithExtension < 40);
}

TEST(Products, size_limit_caps_variable_products) {
    const ProductFactory factory(fixture::fakeSamples(), 42);
    Prng rng(3);
    struct Case {
        ProductKind kind;
        std::size_t limit;
        std::size_t expectedMax;
    };
    // A limit below a kind's minimum still yields its smallest product.
    const std::vector<Case> cases{
        {ProductKind::Imag, 5000, 5000},
        {ProductKind::Imag, 10, kWmoHeadingSize + 4 + kImagMinBody},
        {ProductKind::Fax, 20000, 20000},
        {ProductKind::Fax, 0, kFaxHeadingSize + kFaxMinBody},
        {ProductKind::Text, 1000, 1000},
        {ProductKind::Text, 0, kWmoHeadingSize + kTextMinBody + kWmoEndOfMessage.size()},
        {ProductKind::Png, 3000, 3000},
        {ProductKind::Grib, 300, 300}};
    for (const auto& c : cases) {
        for (int i = 0; i < 20; ++i) {
            const Member member = factory.make(c.kind, 1, rng, c.limit);
            EXPECT_TRUE(member.data.size() <= c.expectedMax);
        }
    }
}

TEST(Products, factory_is_deterministic_and_needs_samples_for_grib_and_bufr) {
    const ProductFactory first(fixture::fakeSamples(), 9);
    const ProductFactory second(fixture::fakeSamples(), 9);
    Prng rngA(5);
    Prng rngB(5);
    for (const ProductKind kind : kAllProductKinds) {
        const Member a = first.make(kind, 11, rngA);
        const Member b = second.make(kind, 11, rngB);
        EXPECT_EQ(a.name, b.name);
        EXPECT_TRUE(a.data == b.data);
    }
    const ProductFactory withoutSamples(SampleMessages{}, 9);
    Prng rng(1);
    EXPECT_TRUE(!withoutSamples.canMake(ProductKind::Grib));
    EXPECT_TRUE(!withoutSamples.canMake(ProductKind::Bufr));
    EXPECT_TRUE(withoutSamples.canMake(ProductKind::Png));
    EXPECT_THROW(withoutSamples.make(ProductKind::Grib, 1, rng), std::logic_error);
    EXPECT_THROW(withoutSamples.make(ProductKind::Bufr, 1, rng), std::logic_error);
}

TEST(Products, kind_names_round_trip) {
    for (const ProductKind kind : kAllProductKinds) {
        EXPECT_EQ(productKindFromName(productKindName(kind)), std::optional<ProductKind>(kind));
    }
    EXPECT_TRUE(!productKindFromName("GRIB").has_value());
    EXPECT_TRUE(!productKindFromName("").has_value());
}

TEST(Products, declared_lengths_follow_each_edition) {
    EXPECT_EQ(declaredGribLength(fixture::gribMessage(1, 100)), std::optional<std::uint64_t>(100));
    EXPECT_EQ(declaredGribLength(fixture::gribMessage(2, 70000)),
              std::optional<std::uint64_t>(70000));
    EXPECT_EQ(declaredBufrLength(fixture::bufrMessage(4, 231)), std::optional<std::uint64_t>(231));
    std::string edition3 = fixture::gribMessage(1, 100);
    edition3[7] = 3;
    EXPECT_TRUE(!declaredGribLength(edition3).has_value());
    EXPECT_TRUE(!declaredGribLength("GRIB\0\0").has_value());
    EXPECT_TRUE(!declaredGribLength(fixture::gribMessage(2, 100).substr(0, 12)).has_value());
    EXPECT_TRUE(!declaredBufrLength("BURF\0\0\x10\x04").has_value());
}

TEST(Products, sample_loader_reads_present_templates_and_trims_to_one_message) {
    fixture::TempFolder folder;
    fixture::writeFile(folder.path() / "GRIB1.tmpl", fixture::gribMessage(1, 107));
    fixture::writeFile(folder.path() / "GRIB2.tmpl",
                       fixture::gribMessage(2, 179) + "trailing junk");
    fixture::writeFile(folder.path() / "BUFR4.tmpl", fixture::bufrMessage(4, 231));
    fixture::writeFile(folder.path() / "unrelated.tmpl", "not listed, not read");
    const SampleMessages samples = loadSampleMessages(folder.path());
    ASSERT_EQ(samples.grib.size(), std::size_t{2});
    ASSERT_EQ(samples.bufr.size(), std::size_t{1});
    EXPECT_EQ(samples.grib[0].edition, 1);
    EXPECT_EQ(samples.grib[1].edition, 2);
    EXPECT_EQ(samples.grib[1].bytes, fixture::gribMessage(2, 179));
    EXPECT_EQ(samples.bufr[0].fileName, std::string("BUFR4.tmpl"));
}

TEST(Products, sample_loader_reports_missing_folder_and_broken_templates) {
    fixture::TempFolder folder;
    try {
        (void)loadSampleMessages(folder.path() / "absent");
        EXPECT_TRUE(false);
    } catch (const SampleError& e) {
        EXPECT_TRUE(std::string(e.what()).find("absent") != std::string::npos);
    }
    const std::string good = fixture::gribMessage(1, 107);
    const std::vector<std::string> broken{
        good.substr(0, 100),                          // shorter than declared
        good.substr(0, 103) + "7770",                 // no end section
        "GRIB",                                       // no indicator section
        std::string("GRIB\0\0\x06\x01", 8) + "7777",  // declared length too small to hold 7777
        ""};
    for (const auto& bytes : broken) {
        fixture::writeFile(folder.path() / "GRIB1.tmpl", bytes);
        EXPECT_THROW(loadSampleMessages(folder.path()), SampleError);
    }
}

TEST(Products, installed_ecCodes_samples_load_when_present) {
    if (!std::filesystem::is_directory(kDefaultSamplesFolder)) {
        return;
    }
    const SampleMessages samples = loadSampleMessages(std::string(kDefaultSamplesFolder));
    EXPECT_EQ(samples.grib.size(), kGribSampleFiles.size());
    EXPECT_EQ(samples.bufr.size(), kBufrSampleFiles.size());
    for (const auto& sample : samples.grib) {
        EXPECT_TRUE(sample.edition == 1 || sample.edition == 2);
    }
}
