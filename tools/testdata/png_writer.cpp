#include "testdata/png_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "testdata/checksums.h"

namespace veltrane::testdata {

namespace {

constexpr std::uint32_t kMaxDimension = 0x7FFFFFFF;
constexpr std::size_t kMaxStoredBlock = 65535;

void putBigEndian32(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value >> 24));
    out.push_back(static_cast<char>((value >> 16) & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void putChunk(std::string& out, std::string_view type, std::string_view data) {
    putBigEndian32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    out.append(type).append(data);
    putBigEndian32(out, crc32(std::string_view(out).substr(typeStart)));
}

std::string zlibStored(std::string_view raw) {
    std::string stream;
    stream.reserve(raw.size() + raw.size() / kMaxStoredBlock * 5 + 16);
    // CMF 0x78 (deflate, 32 KiB window) and FLG 0x01 make the header a multiple of 31.
    stream.push_back(0x78);
    stream.push_back(0x01);
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min(kMaxStoredBlock, raw.size() - offset);
        const bool last = offset + length == raw.size();
        stream.push_back(last ? 0x01 : 0x00);
        const auto len16 = static_cast<std::uint16_t>(length);
        const auto nlen16 = static_cast<std::uint16_t>(~len16);
        stream.push_back(static_cast<char>(len16 & 0xFF));
        stream.push_back(static_cast<char>(len16 >> 8));
        stream.push_back(static_cast<char>(nlen16 & 0xFF));
        stream.push_back(static_cast<char>(nlen16 >> 8));
        stream.append(raw.substr(offset, length));
        offset += length;
    } while (offset < raw.size());
    putBigEndian32(stream, adler32(raw));
    return stream;
}

}  // namespace

std::string encodePng(const PngImage& image, std::size_t idatChunkSize) {
    const std::size_t channels = image.color == PngColor::Rgb ? 3 : 1;
    if (image.width == 0 || image.height == 0 || image.width > kMaxDimension ||
        image.height > kMaxDimension) {
        throw std::invalid_argument("PNG dimensions must be between 1 and 2^31-1");
    }
    const std::size_t rowBytes = std::size_t{image.width} * channels;
    if (image.pixels.size() != rowBytes * image.height) {
        throw std::invalid_argument("PNG pixel count does not match its dimensions");
    }
    idatChunkSize = std::clamp<std::size_t>(idatChunkSize, 1, kMaxDimension);

    std::string filtered;
    filtered.reserve((rowBytes + 1) * image.height);
    for (std::size_t row = 0; row < image.height; ++row) {
        filtered.push_back('\0');  // filter type None
        filtered.append(std::string_view(image.pixels).substr(row * rowBytes, rowBytes));
    }
    const std::string stream = zlibStored(filtered);

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    putBigEndian32(header, image.width);
    putBigEndian32(header, image.height);
    header.push_back(8);                               // bit depth
    header.push_back(static_cast<char>(image.color));  // colour type
    header.append(std::string_view("\0\0\0", 3));      // deflate, adaptive filter, no interlace
    putChunk(png, "IHDR", header);
    for (std::size_t offset = 0; offset < stream.size(); offset += idatChunkSize) {
        putChunk(png, "IDAT", std::string_view(stream).substr(offset, idatChunkSize));
    }
    putChunk(png, "IEND", {});
    return png;
}

}  // namespace veltrane::testdata
