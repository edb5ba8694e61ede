#include "testdata/png_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fixture_reader.h"
#include "testdata/checksums.h"

using namespace veltrane::testdata;

namespace {

using veltrane::testdata::fixture::require;

std::uint32_t bigEndian32(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    }
    return value;
}

// Bit by bit, so that it shares nothing with the table-driven implementation under test.
std::uint32_t slowCrc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFU;
    for (const char byte : bytes) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320U & (0U - (crc & 1U)));
        }
    }
    return ~crc;
}

struct DecodedPng {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int colorType = -1;
    std::string inflated;
    std::size_t idatChunks = 0;
};

// Walks the chunks checking each CRC, then unpacks the stored deflate blocks.
DecodedPng decode(std::string_view png) {
    DecodedPng decoded;
    require(png.starts_with(std::string_view("\x89PNG\r\n\x1a\n", 8)),
            "png.starts_with(std::string_view(\"\\x89PNG\\r\\n\\x1a\\n\", 8))");
    std::size_t offset = 8;
    std::string stream;
    bool ended = false;
    while (offset < png.size()) {
        require(!ended, "!ended");
        require(png.size() - offset >= 12, "png.size() - offset >= 12");
        const std::uint32_t length = bigEndian32(png.substr(offset));
        require(png.size() - offset - 12 >= length, "png.size() - offset - 12 >= length");
        const std::string_view type = png.substr(offset + 4, 4);
        const std::string_view data = png.substr(offset + 8, length);
        EXPECT_EQ(bigEndian32(png.substr(offset + 8 + length)),
                  slowCrc32(png.substr(offset + 4, 4 + length)));
        if (type == "IHDR") {
            require(data.size() == std::size_t{13}, "data.size() == std::size_t{13}");
            decoded.width = bigEndian32(data);
            decoded.height = bigEndian32(data.substr(4));
            EXPECT_EQ(static_cast<int>(data[8]), 8);
            decoded.colorType = data[9];
            EXPECT_EQ(data.substr(10), std::string_view("\0\0\0", 3));
        } else if (type == "IDAT") {
            stream.append(data);
            ++decoded.idatChunks;
        } else {
            require(type == std::string_view("IEND"), "type == std::string_view(\"IEND\")");
            EXPECT_EQ(length, std::uint32_t{0});
            ended = true;
        }
        offset += 12 + length;
    }
    require(ended, "ended");
    require(stream.size() >= 6, "stream.size() >= 6");
    const auto cmf = static_cast<unsigned char>(stream[0]);
    const auto flg = static_cast<unsigned char>(stream[1]);
    EXPECT_EQ(cmf & 0x0F, 8);
    EXPECT_EQ((cmf * 256 + flg) % 31, 0);
    std::size_t at = 2;
    bool last = false;
    while (!last) {
        require(stream.size() - at >= 5, "stream.size() - at >= 5");
        const auto blockHeader = static_cast<unsigned char>(stream[at]);
        last = (blockHeader & 1) != 0;
        EXPECT_EQ(blockHeader & 0x06, 0);  // stored block
        const auto len =
            static_cast<std::size_t>(static_cast<unsigned char>(stream[at + 1]) |
                                     (static_cast<unsigned char>(stream[at + 2]) << 8));
        const auto nlen =
            static_cast<std::size_t>(static_cast<unsigned char>(stream[at + 3]) |
                                     (static_cast<unsigned char>(stream[at + 4]) << 8));
        EXPECT_EQ(len ^ nlen, std::size_t{0xFFFF});
        require(stream.size() - at - 5 >= len, "stream.size() - at - 5 >= len");
        decoded.inflated.append(stream, at + 5, len);
        at += 5 + len;
    }
    require(stream.size() - at == std::size_t{4}, "stream.size() - at == std::size_t{4}");
    EXPECT_EQ(bigEndian32(std::string_view(stream).substr(at)), adler32(decoded.inflated));
    return decoded;
}

PngImage pattern(std::uint32_t width, std::uint32_t height, PngColor color) {
    const std::size_t channels = color == PngColor::Rgb ? 3 : 1;
    PngImage image{width, height, color, std::string(width * height * channels, '\0')};
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = static_cast<char>(i * 7 % 251);
    }
    return image;
}

}  // namespace

TEST(PngWriter, checksums_match_reference_values) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926U);
    EXPECT_EQ(crc32(""), 0U);
    EXPECT_EQ(crc32("6789", crc32("12345")), 0xCBF43926U);
    EXPECT_EQ(adler32("Wikipedia"), 0x11E60398U);
    EXPECT_EQ(adler32(""), 1U);
    // Long runs of 0xFF push the sums past the point where they must be reduced.
    const std::string ones(100000, '\xff');
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const char byte : ones) {
        a = (a + static_cast<unsigned char>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(adler32(ones), (b << 16) | a);
    EXPECT_EQ(crc32(ones), slowCrc32(ones));
}

TEST(PngWriter, encoded_png_decodes_to_the_filtered_rows) {
    struct Case {
        std::uint32_t width;
        std::uint32_t height;
        PngColor color;
        std::size_t idatChunkSize;
    };
    // 300x250 RGB needs several stored blocks; chunk size 1 puts every zlib byte in its own IDAT.
    const std::vector<Case> cases{{1, 1, PngColor::Gray, 65536},
                                  {3, 2, PngColor::Rgb, 1},
                                  {300, 250, PngColor::Rgb, 8192},
                                  {256, 256, PngColor::Gray, 1 << 20}};
    for (const auto& c : cases) {
        const PngImage image = pattern(c.width, c.height, c.color);
        const DecodedPng decoded = decode(encodePng(image, c.idatChunkSize));
        EXPECT_EQ(decoded.width, c.width);
        EXPECT_EQ(decoded.height, c.height);
        EXPECT_EQ(decoded.colorType, static_cast<int>(c.color));
        const std::size_t rowBytes = image.pixels.size() / c.height;
        std::string expected;
        for (std::size_t row = 0; row < c.height; ++row) {
            expected.push_back('\0');
            expected.append(image.pixels, row * rowBytes, rowBytes);
        }
        EXPECT_EQ(decoded.inflated, expected);
        if (c.idatChunkSize == 1) {
            EXPECT_TRUE(decoded.idatChunks > 1);
        }
    }
}

TEST(PngWriter, encode_png_rejects_inconsistent_images) {
    EXPECT_THROW(encodePng(PngImage{0, 1, PngColor::Gray, ""}), std::invalid_argument);
    EXPECT_THROW(encodePng(PngImage{2, 2, PngColor::Rgb, std::string(4, 'x')}),
                 std::invalid_argument);
    EXPECT_THROW(encodePng(PngImage{2, 2, PngColor::Gray, std::string(5, 'x')}),
                 std::invalid_argument);
}

TEST(PngWriter, pngcheck_accepts_encoded_images) {
    if (!fixture::haveCommand("pngcheck")) {
        return;
    }
    fixture::TempFolder folder;
    const auto path = folder.path() / "image.png";
    fixture::writeFile(path, encodePng(pattern(300, 250, PngColor::Rgb), 8192));
    std::string diagnostics;
    EXPECT_TRUE(fixture::runsCleanly("pngcheck -q '" + path.string() + "'", &diagnostics));
    EXPECT_EQ(diagnostics, std::string());
}
