#pragma once

#include <cstdint>
#include <string_view>

namespace veltrane::testdata {

// CRC-32 as used by PNG and zlib (reflected polynomial 0xEDB88320); pass the previous value to
// continue over several pieces.
std::uint32_t crc32(std::string_view bytes, std::uint32_t previous = 0);

// Adler-32 as used at the end of a zlib stream; starts from 1.
std::uint32_t adler32(std::string_view bytes, std::uint32_t previous = 1);

}  // namespace veltrane::testdata
