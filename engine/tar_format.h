#pragma once
// The parts of a TAR member header the sorter uses: the name and the size. Pure functions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace veltrane::tar {

inline constexpr std::size_t kBlockSize = 512;
inline constexpr std::size_t kNameFieldOffset = 0;
inline constexpr std::size_t kNameFieldSize = 100;
inline constexpr std::size_t kSizeFieldOffset = 124;
inline constexpr std::size_t kSizeFieldSize = 12;

// The name field up to its first NUL.
std::string_view memberName(std::span<const std::byte, kBlockSize> header);

// The size field read as tar reads it: leading spaces, octal digits ended by NUL, space or the
// end of the field; or, with the high bit of the first byte set, a big-endian binary number in
// the 11 bytes behind it. Anything else is malformed (nullopt).
std::optional<std::int64_t> memberSize(std::span<const std::byte, kSizeFieldSize> field);

bool isZeroBlock(std::span<const std::byte> block);

// Distance from one header to the next: the header block and the data rounded up to whole
// blocks. Saturates instead of overflowing, so an absurd size simply ends the walk.
std::int64_t stepToNextHeader(std::int64_t size);

}  // namespace veltrane::tar
