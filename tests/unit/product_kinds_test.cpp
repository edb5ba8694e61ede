#include "engine/product_kinds.h"

#include <gtest/gtest.h>

#include <string>

#include "case_name.h"

namespace veltrane::products {
namespace {

using namespace std::string_literals;

const std::string kHeading = std::string("\x01\r\r\n12345\r\r\nHTXA50 KWBC 111200\r\r\n");

std::optional<ProductPlan> plan(const std::string& data, std::int64_t size,
                                KindSelection kinds = KindSelection::all()) {
    return planProduct(std::as_bytes(std::span(data.data(), data.size())), size, kinds);
}

std::string grib1(std::uint32_t length) {
    return std::string("GRIB") + char(length >> 16) + char(length >> 8) + char(length) + '\x01';
}

std::string grib2(std::uint64_t length) {
    std::string s = "GRIB\xff\xff\x00\x02"s;
    for (int shift = 56; shift >= 0; shift -= 8) {
        s += char(length >> shift);
    }
    return s;
}

struct PlanCase {
    const char* what;
    std::string data;
    std::int64_t size;
    KindSelection kinds;
    std::optional<ProductKind> kind;
    std::int64_t offset;
    std::int64_t count;
};

void PrintTo(const PlanCase& c, std::ostream* out) {
    *out << c.what;
}

class PlanProduct : public testing::TestWithParam<PlanCase> {};

TEST_P(PlanProduct, ChoosesKindOffsetAndCount) {
    const PlanCase& c = GetParam();
    const auto result = plan(c.data, c.size, c.kinds);
    ASSERT_EQ(result.has_value(), c.kind.has_value());
    if (result) {
        EXPECT_EQ(result->kind, *c.kind);
        EXPECT_EQ(result->offset, c.offset);
        EXPECT_EQ(result->count, c.count);
        EXPECT_EQ(result->bitReversed, *c.kind == ProductKind::Fax);
    }
}

const auto kAll = KindSelection::all();
const auto kNoAscii = KindSelection::defaults();
const auto kAsciiOnly = KindSelection{}.set(ProductKind::Ascii);

INSTANTIATE_TEST_SUITE_P(
    Members, PlanProduct,
    testing::Values(
        PlanCase{"grib 1 takes L24", kHeading + grib1(0x012345), 0x20000, kAll, ProductKind::Grib,
                 33, 0x012345},
        PlanCase{"grib 2 takes the 64-bit length", kHeading + grib2(179), 300, kAll,
                 ProductKind::Grib, 33, 179},
        PlanCase{"grib 2 beyond 4 GiB", kHeading + grib2(5ULL << 30), 6LL << 30, kAll,
                 ProductKind::Grib, 33, 5LL << 30},
        PlanCase{"bufr takes L24 + 4", kHeading + "BUFR\x00\x00\xe7\x04"s, 300, kAll,
                 ProductKind::Bufr, 33, 231 + 4},
        PlanCase{"imag", kHeading + "IMAG....", 1000, kAll, ProductKind::Imag, 33, 967},
        PlanCase{"png", kHeading + "\x89PNG\r\n\x1a\n", 1000, kAll, ProductKind::Png, 33, 967},
        PlanCase{"fax", kHeading + "DFAX1802\n", 1000, kAll, ProductKind::Fax, 42, 958},
        PlanCase{"text is ascii when chosen", kHeading + "METAR", 400, kAll, ProductKind::Ascii, 0,
                 400},
        PlanCase{"text is skipped by default", kHeading + "METAR", 400, kNoAscii, std::nullopt, 0,
                 0},
        PlanCase{"grib wins over png", kHeading.substr(0, 20) + "PNG" + "xxxxxxxxxx" + grib1(99),
                 200, kAll, ProductKind::Grib, 33, 99},
        PlanCase{"heading letters PNG", "\x01\r\r\n12345\r\r\nPNGA50 KWBC 111200\r\r\nxyz", 500,
                 kAll, ProductKind::Png, 33, 467},
        PlanCase{"grib unchecked falls to ascii whole", kHeading + grib1(99), 140, kAsciiOnly,
                 ProductKind::Ascii, 0, 140},
        PlanCase{"grib unchecked, ascii unchecked", kHeading + grib1(99), 140,
                 KindSelection{}.set(ProductKind::Png), std::nullopt, 0, 0},
        PlanCase{"NUL in heading hides the signature",
                 "\x01\r\r\n\0"s + "2345" + kHeading.substr(9) + grib1(99), 140, kNoAscii,
                 std::nullopt, 0, 0},
        PlanCase{"signature past 42 bytes is not seen", kHeading + "123456789" + "GRIB", 100,
                 kNoAscii, std::nullopt, 0, 0},
        // A short member must not be classified by what follows it in the archive.
        PlanCase{"signature beyond the member's size", kHeading + grib1(99), 20, kNoAscii,
                 std::nullopt, 0, 0},
        PlanCase{"size 0 with ascii", "", 0, kAll, ProductKind::Ascii, 0, 0},
        PlanCase{"png smaller than its heading", kHeading.substr(0, 10) + "PNG", 13, kAll,
                 ProductKind::Png, 33, -20}),
    testing_support::NameFromWhat{});

TEST(PlanProduct, BufrAndGribAskForTheirMessageEndCheck) {
    EXPECT_EQ(plan(kHeading + grib1(99), 200)->endCheck, MessageEndCheck::AtEnd);
    EXPECT_EQ(plan(kHeading + "BUFR\x00\x00\x10\x04"s, 200)->endCheck,
              MessageEndCheck::FourBeforeEnd);
    EXPECT_EQ(plan(kHeading + "IMAG", 200)->endCheck, MessageEndCheck::None);
}

TEST(PlanProduct, LengthBytesMissingFromTheArchiveReadAsZero) {
    // "GRIB" with its length cut off by the end of the archive.
    const std::string data = kHeading + "GRIB\x01";
    const auto result = plan(data, 1000);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->count, 0x010000);
}

}  // namespace
}  // namespace veltrane::products
