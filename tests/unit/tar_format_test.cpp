#include "engine/tar_format.h"

#include <gtest/gtest.h>

#include <string>

#include "case_name.h"

namespace veltrane::tar {
namespace {

std::optional<std::int64_t> sizeOf(const std::string& field) {
    EXPECT_EQ(field.size(), kSizeFieldSize);
    return memberSize(std::span<const std::byte, kSizeFieldSize>(
        reinterpret_cast<const std::byte*>(field.data()), kSizeFieldSize));
}

struct SizeCase {
    const char* what;
    std::string field;
    std::optional<std::int64_t> size;
};

void PrintTo(const SizeCase& c, std::ostream* out) {
    *out << c.what;
}

class SizeField : public testing::TestWithParam<SizeCase> {};

TEST_P(SizeField, IsReadAsTarReadsIt) {
    EXPECT_EQ(sizeOf(GetParam().field), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SizeField,
    testing::Values(
        SizeCase{"standard, NUL", std::string("00000001750\0", 12), 1000},
        SizeCase{"standard, space", "00000001750 ", 1000},
        SizeCase{"zero", std::string("00000000000\0", 12), 0},
        SizeCase{"leading spaces", std::string("      1750\0\0", 12), 1000},
        SizeCase{"twelve digits", "000000001750", 1000},
        SizeCase{"largest octal", "777777777777", 68719476735},
        SizeCase{"short, NUL padded", std::string("17\0\0\0\0\0\0\0\0\0\0", 12), 15},
        SizeCase{"base-256", std::string("\x80\0\0\0\0\0\0\x01\0\0\0\0", 12), 1LL << 32},
        SizeCase{"base-256 negative",
                 std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 12), std::nullopt},
        SizeCase{"base-256 too large", std::string("\x80\x80\0\0\0\0\0\0\0\0\0\0", 12),
                 std::nullopt},
        SizeCase{"junk digit", std::string("0000000175x\0", 12), std::nullopt},
        SizeCase{"digit 8", std::string("00000000008\0", 12), std::nullopt},
        SizeCase{"no digit", std::string("\0\0\0\0\0\0\0\0\0\0\0\0", 12), std::nullopt},
        SizeCase{"spaces only", "            ", std::nullopt},
        SizeCase{"junk after a digit before the end", "1 2         ", 1}),
    testing_support::NameFromWhat{});

TEST(StepToNextHeader, RoundsDataUpToWholeBlocks) {
    EXPECT_EQ(stepToNextHeader(0), 512);
    EXPECT_EQ(stepToNextHeader(1), 1024);
    EXPECT_EQ(stepToNextHeader(512), 1024);
    EXPECT_EQ(stepToNextHeader(513), 1536);
    EXPECT_EQ(stepToNextHeader(5LL << 30), 512 + (5LL << 30));
    EXPECT_EQ(stepToNextHeader(std::numeric_limits<std::int64_t>::max()),
              std::numeric_limits<std::int64_t>::max());
}

TEST(MemberName, EndsAtTheFirstNulOrAfter100Bytes) {
    std::string block(kBlockSize, '\0');
    block.replace(0, 5, "a.grb");
    auto view = std::span<const std::byte, kBlockSize>(
        reinterpret_cast<const std::byte*>(block.data()), kBlockSize);
    EXPECT_EQ(memberName(view), "a.grb");
    block.replace(0, 100, std::string(100, 'n'));
    block[100] = 'z';  // the mode field must not leak into the name
    EXPECT_EQ(memberName(view), std::string(100, 'n'));
}

}  // namespace
}  // namespace veltrane::tar
