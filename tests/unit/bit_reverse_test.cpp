#include "engine/bit_reverse.h"

#include <gtest/gtest.h>

#include <vector>

namespace veltrane {
namespace {

std::uint8_t slowReverse(std::uint8_t value) {
    std::uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (value & (1 << bit)) {
            out = static_cast<std::uint8_t>(out | (1 << (7 - bit)));
        }
    }
    return out;
}

TEST(ReverseBits, KnownBytes) {
    std::vector<std::byte> bytes{std::byte{0x00}, std::byte{0x01}, std::byte{0x80}, std::byte{0xFF},
                                 std::byte{0x0F}};
    reverseBitsInEachByte(bytes);
    EXPECT_EQ(bytes, (std::vector<std::byte>{std::byte{0x00}, std::byte{0x80}, std::byte{0x01},
                                             std::byte{0xFF}, std::byte{0xF0}}));
}

TEST(ReverseBits, EveryByteValueAtEveryAlignment) {
    // The word-at-a-time path and the byte tail must agree for all 256 values.
    for (std::size_t lead = 0; lead < 8; ++lead) {
        std::vector<std::byte> bytes(lead + 256 + 3);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::byte>(i * 7 + lead);
        }
        const auto original = bytes;
        reverseBitsInEachByte(std::span(bytes).subspan(lead));
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto in = static_cast<std::uint8_t>(original[i]);
            const auto expected = i < lead ? in : slowReverse(in);
            ASSERT_EQ(static_cast<std::uint8_t>(bytes[i]), expected) << i;
        }
    }
}

}  // namespace
}  // namespace veltrane
