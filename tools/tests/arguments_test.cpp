#include "make_sig/arguments.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace veltrane::testdata;

TEST(Arguments, byte_sizes_accept_binary_suffixes) {
    struct Case {
        std::string text;
        std::uint64_t bytes;
    };
    const std::vector<Case> cases{{"1", 1},
                                  {"4096", 4096},
                                  {"1K", 1024},
                                  {"1k", 1024},
                                  {"3M", 3u << 20},
                                  {"1G", 1u << 30},
                                  {"16G", 16ULL << 30},
                                  {"8589934592G", 8589934592ULL << 30}};
    for (const auto& c : cases) {
        EXPECT_EQ(parseByteSize(c.text), c.bytes);
    }
}

TEST(Arguments, byte_sizes_reject_malformed_values) {
    for (const std::string text : {"", "K", "0", "0M", "-1", "1.5M", "1T", "12abc", " 1",
                                   "99999999999999999999", "17179869184G"}) {
        EXPECT_THROW(parseByteSize(text), std::invalid_argument);
    }
}

TEST(Arguments, seeds_are_plain_unsigned_numbers) {
    EXPECT_EQ(parseSeed("0"), std::uint64_t{0});
    EXPECT_EQ(parseSeed("18446744073709551615"), UINT64_MAX);
    for (const std::string text : {"", "-4", "+4", " 4", "0x10", "4e3", "18446744073709551616"}) {
        EXPECT_THROW(parseSeed(text), std::invalid_argument);
    }
}

TEST(Arguments, record_ranges_parse_and_stay_within_a_record) {
    EXPECT_TRUE(parseRecordRange("1024-2048") ==
                std::make_pair(std::size_t{1024}, std::size_t{2048}));
    EXPECT_TRUE(parseRecordRange("65502-65502") ==
                std::make_pair(std::size_t{65502}, std::size_t{65502}));
    EXPECT_TRUE(parseRecordRange("7") == std::make_pair(std::size_t{7}, std::size_t{7}));
    for (const std::string text :
         {"0-5", "5-4", "1-65503", "65503", "a-b", "1-", "-5", "1--2", ""}) {
        EXPECT_THROW(parseRecordRange(text), std::invalid_argument);
    }
}

TEST(Arguments, kind_lists_name_known_kinds) {
    const std::vector<ProductKind> gribAndPng{ProductKind::Grib, ProductKind::Png};
    const std::vector<ProductKind> textOnly{ProductKind::Text};
    EXPECT_TRUE(parseKindList("grib,png") == gribAndPng);
    EXPECT_TRUE(parseKindList("text,text") == textOnly);
    EXPECT_EQ(parseKindList("grib,bufr,png,imag,fax,text").size(), std::size_t{6});
    for (const std::string text : {"", "gif", "grib,", ",png", "GRIB", "grib png"}) {
        EXPECT_THROW(parseKindList(text), std::invalid_argument);
    }
}
