#include "testdata/tar_writer.h"

#include <algorithm>
#include <stdexcept>

namespace veltrane::testdata {

namespace {

// ustar header field offsets and widths.
constexpr std::size_t kModeOffset = 100;
constexpr std::size_t kUidOffset = 108;
constexpr std::size_t kGidOffset = 116;
constexpr std::size_t kSizeOffset = 124;
constexpr std::size_t kMtimeOffset = 136;
constexpr std::size_t kChecksumOffset = 148;
constexpr std::size_t kChecksumSize = 8;
constexpr std::size_t kTypeflagOffset = 156;
constexpr std::size_t kMagicOffset = 257;
constexpr std::size_t kUnameOffset = 265;
constexpr std::size_t kGnameOffset = 297;
constexpr std::size_t kDevMajorOffset = 329;
constexpr std::size_t kDevMinorOffset = 337;

constexpr std::string_view kOwner = "veltrane";

// `digits` octal digits, zero-padded, followed by a NUL.
void putOctal(std::string& block, std::size_t offset, std::size_t digits, std::uint64_t value) {
    for (std::size_t i = digits; i-- > 0;) {
        block[offset + i] = static_cast<char>('0' + (value & 7));
        value >>= 3;
    }
    block[offset + digits] = '\0';
}

void put(std::string& block, std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), block.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::size_t paddingFor(std::size_t size) {
    return (kTarBlockSize - size % kTarBlockSize) % kTarBlockSize;
}

}  // namespace

std::string base256SizeField(std::uint64_t size) {
    std::string field(kTarSizeFieldSize, '\0');
    for (std::size_t i = kTarSizeFieldSize; i-- > 1;) {
        field[i] = static_cast<char>(size & 0xFF);
        size >>= 8;
    }
    field[0] = static_cast<char>(0x80);
    return field;
}

std::string TarWriter::headerBlock(const TarEntry& entry, std::uint64_t size) {
    if (entry.name.size() > kTarNameFieldSize) {
        throw std::invalid_argument("tar name longer than 100 bytes");
    }
    if (entry.sizeField && entry.sizeField->size() != kTarSizeFieldSize) {
        throw std::invalid_argument("tar size field must be exactly 12 bytes");
    }
    if (!entry.sizeField && size > kTarMaxOctalSize) {
        throw std::invalid_argument("tar member too large for an octal size field");
    }
    std::string block(kTarBlockSize, '\0');
    put(block, 0, entry.name);
    put(block, kModeOffset, "0000644");
    putOctal(block, kUidOffset, 7, 1000);
    putOctal(block, kGidOffset, 7, 1000);
    if (entry.sizeField) {
        put(block, kSizeOffset, *entry.sizeField);
    } else {
        putOctal(block, kSizeOffset, 11, size);
    }
    putOctal(block, kMtimeOffset, 11, entry.mtime & kTarMaxOctalSize);
    block[kTypeflagOffset] = entry.typeflag;
    put(block, kMagicOffset,
        std::string_view("ustar\0"
                         "00",
                         8));
    put(block, kUnameOffset, kOwner);
    put(block, kGnameOffset, kOwner);
    putOctal(block, kDevMajorOffset, 7, 0);
    putOctal(block, kDevMinorOffset, 7, 0);

    // The checksum is the unsigned byte sum with its own field counted as spaces.
    std::fill_n(block.begin() + kChecksumOffset, kChecksumSize, ' ');
    std::uint32_t checksum = 0;
    for (const char byte : block) {
        checksum += static_cast<unsigned char>(byte);
    }
    putOctal(block, kChecksumOffset, 6, checksum);
    block[kChecksumOffset + 7] = ' ';
    return block;
}

void TarWriter::addFile(std::string_view name, std::string_view data, std::uint64_t mtime) {
    if (name.empty() || name.find('\0') != std::string_view::npos) {
        throw std::invalid_argument("tar member name must be non-empty and free of NUL bytes");
    }
    TarEntry entry{std::string(name)};
    entry.mtime = mtime;
    addMember(entry, data);
}

void TarWriter::addMember(const TarEntry& entry, std::string_view data) {
    requireOpen();
    archive_.append(headerBlock(entry, data.size()));
    archive_.append(data);
    archive_.append(paddingFor(data.size()), '\0');
}

void TarWriter::addTruncatedMember(const TarEntry& entry, std::uint64_t declaredSize,
                                   std::string_view presentData) {
    requireOpen();
    if (presentData.size() >= declaredSize) {
        throw std::invalid_argument("a truncated member must declare more than it holds");
    }
    archive_.append(headerBlock(entry, declaredSize));
    archive_.append(presentData);
    closed_ = true;
}

void TarWriter::finish() {
    requireOpen();
    archive_.append(2 * kTarBlockSize, '\0');
    closed_ = true;
}

std::string TarWriter::release() {
    std::string archive = std::move(archive_);
    archive_.clear();
    closed_ = false;
    return archive;
}

void TarWriter::requireOpen() const {
    if (closed_) {
        throw std::logic_error("tar archive already ended");
    }
}

}  // namespace veltrane::testdata
