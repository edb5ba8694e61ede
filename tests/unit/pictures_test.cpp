// The committed pictures in resources/pictures/ must be in the exact formats the windows load:
// uncompressed 24-bit Windows bitmaps of fixed sizes whose bottom-left pixel carries the glyph's
// transparent colour, and a 32 × 32 RGBA PNG icon. Read with plain byte parsing so that a file Qt
// would still accept but the format does not allow is caught as well.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "case_name.h"

namespace veltrane {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "rgb(" << int{colour.red} << ", " << int{colour.green} << ", " << int{colour.blue}
               << ")";
}

constexpr Rgb kSilver{192, 192, 192};
constexpr Rgb kWhite{255, 255, 255};

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

std::filesystem::path picturePath(const std::string& name) {
    return std::filesystem::path(VELTRANE_SOURCE_DIR) / "resources" / "pictures" / name;
}

Bytes readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t littleEndian(const Bytes& bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i > 0; --i) {
        value = (value << 8) | bytes.at(at + i - 1);
    }
    return value;
}

std::uint32_t bigEndian32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | bytes.at(at + i);
    }
    return value;
}

// A parsed 24-bit bitmap; rows as stored, bottom row first.
struct Bitmap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::size_t pixelOffset = 0;
    std::size_t stride = 0;
    Bytes bytes;

    // x from the left, y from the bottom, as the file stores it.
    Rgb pixelFromBottom(int x, int y) const {
        const std::size_t at =
            pixelOffset + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3;
        return Rgb{bytes.at(at + 2), bytes.at(at + 1), bytes.at(at)};
    }
};

struct BitmapCase {
    std::string what;
    std::string file;
    int width;
    int height;
    // The glyph's transparent colour, which must sit in the bottom-left pixel; none when opaque.
    std::optional<Rgb> key;
    // Enclosed areas of the key colour are meant (a wheel's axle hole shows the button through).
    bool holesAllowed;
};

void PrintTo(const BitmapCase& row, std::ostream* out) {
    *out << row.file;
}

class CommittedBitmap : public ::testing::TestWithParam<BitmapCase> {
  protected:
    // Checks every header field, and returns the bitmap only when its pixels can be read safely.
    static std::optional<Bitmap> load(const BitmapCase& row) {
        Bitmap bitmap;
        bitmap.bytes = readAll(picturePath(row.file));
        const Bytes& bytes = bitmap.bytes;
        if (bytes.size() < kFileHeaderSize + kInfoHeaderSize) {
            ADD_FAILURE() << row.file << " is missing or too short: " << bytes.size() << " bytes";
            return std::nullopt;
        }
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(bytes[1], 'M');
        EXPECT_EQ(littleEndian(bytes, 2, 4), bytes.size()) << "file size field";
        EXPECT_EQ(littleEndian(bytes, 14, 4), kInfoHeaderSize) << "BITMAPINFOHEADER expected";
        bitmap.width = static_cast<std::int32_t>(littleEndian(bytes, 18, 4));
        bitmap.height = static_cast<std::int32_t>(littleEndian(bytes, 22, 4));
        EXPECT_EQ(bitmap.width, row.width);
        // Positive: rows stored bottom-up, which is what the key pixel's position assumes.
        EXPECT_EQ(bitmap.height, row.height);
        EXPECT_EQ(littleEndian(bytes, 26, 2), 1u) << "planes";
        EXPECT_EQ(littleEndian(bytes, 28, 2), 24u) << "bits per pixel";
        EXPECT_EQ(littleEndian(bytes, 30, 4), 0u) << "compression must be BI_RGB";
        EXPECT_EQ(littleEndian(bytes, 46, 4), 0u) << "a 24-bit bitmap carries no colour table";

        bitmap.pixelOffset = littleEndian(bytes, 10, 4);
        EXPECT_GE(bitmap.pixelOffset, kFileHeaderSize + kInfoHeaderSize);
        // Every row is padded to a whole number of 32-bit words.
        bitmap.stride = (static_cast<std::size_t>(row.width) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(),
                  bitmap.pixelOffset + bitmap.stride * static_cast<std::size_t>(row.height))
            << "file size does not match " << row.height << " padded rows of " << bitmap.stride
            << " bytes";
        if (::testing::Test::HasFailure() || bitmap.width != row.width ||
            bitmap.height != row.height ||
            bytes.size() <
                bitmap.pixelOffset + bitmap.stride * static_cast<std::size_t>(row.height)) {
            return std::nullopt;
        }
        return bitmap;
    }
};

TEST_P(CommittedBitmap, IsAnUncompressed24BitBitmapOfItsSize) {
    load(GetParam());
}

// The glyphs, whose key colour is drawn transparent on the button.
class KeyedGlyph : public CommittedBitmap {};

TEST_P(KeyedGlyph, BottomLeftPixelIsTheTransparentColour) {
    const BitmapCase& row = GetParam();
    ASSERT_TRUE(row.key);
    const auto bitmap = load(row);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->pixelFromBottom(0, 0), *row.key);
}

TEST_P(KeyedGlyph, ShowsNoHoleOfTheTransparentColour) {
    // A drawn pixel of the key colour (a white check mark on a white-keyed glyph) would turn
    // transparent on the button; only the background around the drawing may carry the key.
    const BitmapCase& row = GetParam();
    ASSERT_TRUE(row.key);
    const auto bitmap = load(row);
    ASSERT_TRUE(bitmap);
    const int width = bitmap->width;
    const int height = bitmap->height;
    std::vector<bool> outside(static_cast<std::size_t>(width * height), false);
    std::vector<std::array<int, 2>> pending;
    const auto isKey = [&](int x, int y) { return bitmap->pixelFromBottom(x, y) == *row.key; };
    const auto reach = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height) {
            return;
        }
        const auto at = static_cast<std::size_t>(y * width + x);
        if (!outside[at] && isKey(x, y)) {
            outside[at] = true;
            pending.push_back({x, y});
        }
    };
    for (int x = 0; x < width; ++x) {
        reach(x, 0);
        reach(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        reach(0, y);
        reach(width - 1, y);
    }
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        reach(x + 1, y);
        reach(x - 1, y);
        reach(x, y + 1);
        reach(x, y - 1);
    }
    int drawn = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool background = outside[static_cast<std::size_t>(y * width + x)];
            drawn += background ? 0 : 1;
            if (!background && !row.holesAllowed) {
                EXPECT_FALSE(isKey(x, y)) << "key colour inside the drawing at x " << x << ", y "
                                          << y << " from the bottom";
            }
        }
    }
    EXPECT_GT(drawn, width * height / 4) << row.file << " is mostly empty";
}

const BitmapCase kGlyphs[] = {
    {"load glyph", "load.bmp", 24, 24, kSilver, false},
    {"processing glyph", "processing.bmp", 24, 24, kSilver, true},
    {"about glyph", "about.bmp", 24, 24, kSilver, false},
    {"check glyph", "check.bmp", 16, 16, kWhite, false},
};
// Odd width: each row carries one byte of padding.
const BitmapCase kEmblem{"emblem", "emblem.bmp", 149, 148, std::nullopt, false};

INSTANTIATE_TEST_SUITE_P(Pictures, CommittedBitmap,
                         ::testing::Values(kGlyphs[0], kGlyphs[1], kGlyphs[2], kGlyphs[3], kEmblem),
                         testing_support::NameFromWhat{});
INSTANTIATE_TEST_SUITE_P(Pictures, KeyedGlyph, ::testing::ValuesIn(kGlyphs),
                         testing_support::NameFromWhat{});

TEST(CommittedIcon, IsA32By32RgbaPng) {
    const Bytes bytes = readAll(picturePath("veltrane.png"));
    constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GE(bytes.size(), kSignature.size() + 8 + 13) << "veltrane.png is missing or too short";
    EXPECT_TRUE(std::equal(kSignature.begin(), kSignature.end(), bytes.begin()));
    // The first chunk must be IHDR, 13 bytes long.
    EXPECT_EQ(bigEndian32(bytes, 8), 13u);
    EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "IHDR");
    EXPECT_EQ(bigEndian32(bytes, 16), 32u) << "width";
    EXPECT_EQ(bigEndian32(bytes, 20), 32u) << "height";
    EXPECT_EQ(bytes[24], 8) << "bit depth";
    EXPECT_EQ(bytes[25], 6) << "colour type: truecolour with alpha";
    EXPECT_EQ(bytes[28], 0) << "interlace";
}

}  // namespace
}  // namespace veltrane
