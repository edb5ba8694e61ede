#include "testdata/checksums.h"

#include <array>
#include <cstddef>

namespace veltrane::testdata {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr auto kCrcTable = makeCrcTable();

}  // namespace

std::uint32_t crc32(std::string_view bytes, std::uint32_t previous) {
    std::uint32_t c = previous ^ 0xFFFFFFFFU;
    for (const char byte : bytes) {
        c = kCrcTable[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFU;
}

std::uint32_t adler32(std::string_view bytes, std::uint32_t previous) {
    constexpr std::uint32_t kModulus = 65521;
    // Largest run that cannot overflow 32 bits before reducing.
    constexpr std::size_t kRun = 5552;
    std::uint32_t a = previous & 0xFFFF;
    std::uint32_t b = previous >> 16;
    while (!bytes.empty()) {
        const std::size_t run = bytes.size() < kRun ? bytes.size() : kRun;
        for (std::size_t i = 0; i < run; ++i) {
            a += static_cast<unsigned char>(bytes[i]);
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
        bytes.remove_prefix(run);
    }
    return (b << 16) | a;
}

}  // namespace veltrane::testdata
