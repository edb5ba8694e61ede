#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace veltrane::testdata {

enum class PngColor : std::uint8_t { Gray = 0, Rgb = 2 };

// 8 bits per sample; pixels hold the rows top to bottom with no filter bytes.
struct PngImage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    PngColor color = PngColor::Gray;
    std::string pixels;
};

// Encodes a valid PNG without a compression library: the zlib stream uses stored deflate blocks
// and is split into IDAT chunks of at most idatChunkSize bytes. Throws std::invalid_argument if
// the dimensions are zero or do not match the pixel count.
std::string encodePng(const PngImage& image, std::size_t idatChunkSize = 65536);

}  // namespace veltrane::testdata
