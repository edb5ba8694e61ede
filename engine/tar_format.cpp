#include "engine/tar_format.h"

#include <algorithm>
#include <limits>

namespace veltrane::tar {
namespace {

constexpr auto kMaxOffset = std::numeric_limits<std::int64_t>::max();

std::uint8_t byteAt(std::span<const std::byte> bytes, std::size_t index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

std::optional<std::int64_t> binarySize(std::span<const std::byte, kSizeFieldSize> field) {
    // Only positive values fit a size; anything left in the flag byte would be a sign or bits
    // beyond 88.
    if ((byteAt(field, 0) & 0x7F) != 0) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (std::size_t i = 1; i < kSizeFieldSize; ++i) {
        if (value > (static_cast<std::uint64_t>(kMaxOffset) >> 8)) {
            return std::nullopt;
        }
        value = (value << 8) | byteAt(field, i);
    }
    return static_cast<std::int64_t>(value);
}

}  // namespace

std::string_view memberName(std::span<const std::byte, kBlockSize> header) {
    const std::string_view field{reinterpret_cast<const char*>(header.data()) + kNameFieldOffset,
                                 kNameFieldSize};
    return field.substr(0, field.find('\0'));
}

std::optional<std::int64_t> memberSize(std::span<const std::byte, kSizeFieldSize> field) {
    if ((byteAt(field, 0) & 0x80) != 0) {
        return binarySize(field);
    }
    std::size_t i = 0;
    while (i < kSizeFieldSize && byteAt(field, i) == ' ') {
        ++i;
    }
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (; i < kSizeFieldSize; ++i) {
        const auto c = byteAt(field, i);
        if (c == 0 || c == ' ') {
            break;
        }
        if (c < '0' || c > '7') {
            return std::nullopt;
        }
        value = value * 8 + (c - '0');  // 12 octal digits need only 36 bits
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return value;
}

bool isZeroBlock(std::span<const std::byte> block) {
    return std::all_of(block.begin(), block.end(), [](std::byte b) { return b == std::byte{0}; });
}

std::int64_t stepToNextHeader(std::int64_t size) {
    const std::int64_t block = static_cast<std::int64_t>(kBlockSize);
    if (size > kMaxOffset - 2 * block) {
        return kMaxOffset;
    }
    return block + (size + block - 1) / block * block;
}

}  // namespace veltrane::tar
