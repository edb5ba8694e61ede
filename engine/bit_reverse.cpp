#include "engine/bit_reverse.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace veltrane {
namespace {

constexpr std::array<std::uint8_t, 256> makeTable() {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned reversed = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((value & (1U << bit)) != 0) {
                reversed |= 1U << (7 - bit);
            }
        }
        table[value] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}

constexpr auto kReversed = makeTable();

// Reverses the bits of all eight bytes of a word at once: swap nibbles, then bit pairs, then
// neighbouring bits, each with a mask that keeps the swaps inside their byte.
std::uint64_t reverseWord(std::uint64_t word) {
    word = ((word >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((word & 0x0F0F0F0F0F0F0F0FULL) << 4);
    word = ((word >> 2) & 0x3333333333333333ULL) | ((word & 0x3333333333333333ULL) << 2);
    word = ((word >> 1) & 0x5555555555555555ULL) | ((word & 0x5555555555555555ULL) << 1);
    return word;
}

}  // namespace

void reverseBitsInEachByte(std::span<std::byte> bytes) {
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        word = reverseWord(word);
        std::memcpy(bytes.data() + i, &word, 8);
    }
    for (; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::byte>(kReversed[static_cast<std::uint8_t>(bytes[i])]);
    }
}

}  // namespace veltrane
