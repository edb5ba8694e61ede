#include "app/skin_list.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "case_name.h"

namespace veltrane::app {
namespace {

std::vector<std::byte> bytesOf(std::string_view text) {
    const auto view = std::as_bytes(std::span(text.data(), text.size()));
    return {view.begin(), view.end()};
}

void putLe32(std::vector<std::byte>& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
    }
}

std::uint32_t le32At(const std::vector<std::byte>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

// One zlib stream of `text`, made by zlib itself rather than by the code under test.
std::vector<std::byte> zlibOf(std::string_view text) {
    uLongf length = compressBound(static_cast<uLong>(text.size()));
    std::vector<std::byte> out(length);
    const int code =
        compress2(reinterpret_cast<Bytef*>(out.data()), &length,
                  reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()), 9);
    EXPECT_EQ(code, Z_OK);
    out.resize(length);
    return out;
}

// Item data with a header of our choosing in front of `block`.
std::vector<std::byte> itemData(std::uint32_t version, std::uint32_t stated,
                                const std::vector<std::byte>& block) {
    // Sized in one go: growing an 8-byte vector by insert trips GCC 12's -Warray-bounds at -O3.
    std::vector<std::byte> data(kSkinHeaderSize + block.size());
    putLe32(data, 0, version);
    putLe32(data, 4, stated);
    std::copy(block.begin(), block.end(), data.begin() + kSkinHeaderSize);
    return data;
}

std::vector<std::byte> itemData(const std::vector<std::byte>& block) {
    return itemData(kSkinFormatVersion, static_cast<std::uint32_t>(block.size()), block);
}

const std::string kDescription = "[stdlabel]\nFontColor=#102030\nFontName=Tahoma\n";

std::vector<SkinListItem> twoItems() {
    return {{"bsSkin0", "First.skn", compressSkin(kDescription)},
            {"bsSkin1", "", bytesOf(std::string("raw\0bytes", 9))}};
}

TEST(SkinList, TwoItemsComeBackAsPacked) {
    const std::vector<SkinListItem> items = twoItems();
    std::vector<SkinListItem> read{{"stale", "stale", {}}};
    std::string error;
    ASSERT_TRUE(parseSkinList(packSkinList(items), read, error)) << error;
    EXPECT_EQ(read, items);
    EXPECT_TRUE(error.empty());

    std::string description;
    ASSERT_TRUE(unpackListedSkin(packSkinList(items), 0, description, error)) << error;
    EXPECT_EQ(description, kDescription);
}

TEST(SkinList, AnEmptyListIsReadButHasNoSkinToUnpack) {
    std::vector<SkinListItem> read;
    std::string error;
    ASSERT_TRUE(parseSkinList(packSkinList({}), read, error)) << error;
    EXPECT_TRUE(read.empty());

    std::string description;
    EXPECT_FALSE(unpackListedSkin(packSkinList({}), 0, description, error));
    EXPECT_NE(error.find("none at index 0"), std::string::npos) << error;
}

TEST(SkinList, UnpackingNamesTheItemThatIsDamaged) {
    std::string description;
    std::string error;
    // Item 1 of the fixture is not compressed skin data at all.
    EXPECT_FALSE(unpackListedSkin(packSkinList(twoItems()), 1, description, error));
    EXPECT_NE(error.find("\"bsSkin1\""), std::string::npos) << error;
    EXPECT_TRUE(description.empty());
}

TEST(SkinCompression, DescriptionsComeBackByteForByte) {
    for (const std::string& text :
         {std::string(), kDescription, std::string("\0\xff\r\n[x]", 7), std::string(200000, 'a')}) {
        const std::vector<std::byte> data = compressSkin(text);
        ASSERT_GE(data.size(), kSkinHeaderSize + 2);
        // Version 3, the block's exact length, and a zlib header that says best compression.
        EXPECT_EQ(le32At(data, 0), 3u);
        EXPECT_EQ(le32At(data, 4), data.size() - kSkinHeaderSize);
        EXPECT_EQ(data[8], std::byte{0x78});
        EXPECT_EQ(data[9], std::byte{0xDA});

        std::string description = "stale";
        std::string error;
        ASSERT_TRUE(decompressSkin(data, description, error)) << error;
        EXPECT_EQ(description, text);
    }
}

TEST(SkinCompression, ADescriptionTheReaderWouldRefuseIsNotCompressed) {
    EXPECT_TRUE(compressSkin(std::string(kMaxSkinDescriptionSize + 1, ' ')).empty());
}

TEST(SkinCompression, TheInflatedSizeLimitIsInclusive) {
    std::string description;
    std::string error;
    EXPECT_TRUE(decompressSkin(itemData(zlibOf(std::string(kMaxSkinDescriptionSize, '\0'))),
                               description, error))
        << error;
    EXPECT_EQ(description.size(), kMaxSkinDescriptionSize);
}

TEST(BuiltSkinList, Item0IsBsSkin0WithEverySectionTheControlsLookUp) {
    std::ifstream in(VELTRANE_SKIN_LIST_FILE, std::ios::binary);
    ASSERT_TRUE(in) << "cannot open " << VELTRANE_SKIN_LIST_FILE;
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::vector<SkinListItem> items;
    std::string error;
    ASSERT_TRUE(parseSkinList(bytesOf(file), items, error)) << error;
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0].Name, "bsSkin0");
    EXPECT_EQ(items[0].CompressedFileName, "BlueVeltrane.skn");

    std::string description;
    ASSERT_TRUE(decompressSkin(items[0].data, description, error)) << error;
    std::vector<std::string> sections;
    std::istringstream lines(description);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back(line.substr(1, line.size() - 2));
        }
    }
    for (const char* name : {"form", "toolbutton", "edit", "checkbox", "gauge", "stdlabel",
                             "resizebutton", "button"}) {
        EXPECT_NE(std::find(sections.begin(), sections.end(), name), sections.end())
            << "no section [" << name << "]";
    }
}

// --- Damaged lists -------------------------------------------------------------------------

TEST(DamagedSkinList, EveryCutShortListIsRefused) {
    const std::vector<std::byte> whole = packSkinList(twoItems());
    for (std::size_t length = 0; length < whole.size(); ++length) {
        std::vector<SkinListItem> items;
        std::string error;
        EXPECT_FALSE(parseSkinList(std::span(whole).first(length), items, error))
            << "cut to " << length << " bytes";
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(items.empty());
    }
}

// Offsets into the packed twoItems() list: magic, count, then item 0's Name length.
constexpr std::size_t kCountAt = 4;
constexpr std::size_t kFirstNameLengthAt = 8;
// Item 0's data length sits after its Name ("bsSkin0") and CompressedFileName ("First.skn").
constexpr std::size_t kFirstDataLengthAt = kFirstNameLengthAt + 4 + 7 + 4 + 9;

struct ListDamage {
    const char* what;
    std::function<void(std::vector<std::byte>&)> damage;
    const char* reason;  // part of the error text
};

void PrintTo(const ListDamage& c, std::ostream* out) {
    *out << c.what;
}

class DamagedSkinList : public testing::TestWithParam<ListDamage> {};

TEST_P(DamagedSkinList, IsRefusedWithAReason) {
    std::vector<std::byte> bytes = packSkinList(twoItems());
    GetParam().damage(bytes);
    std::vector<SkinListItem> items;
    std::string error;
    EXPECT_FALSE(parseSkinList(bytes, items, error));
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
    EXPECT_TRUE(items.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedSkinList,
    testing::Values(
        ListDamage{"wrong magic", [](auto& b) { b[0] = std::byte{'X'}; }, "VSKL"},
        ListDamage{"empty file", [](auto& b) { b.clear(); }, "VSKL"},
        ListDamage{"huge count", [](auto& b) { putLe32(b, kCountAt, 0xFFFFFFFFu); }, "limit"},
        ListDamage{"count one over the limit",
                   [](auto& b) { putLe32(b, kCountAt, kMaxSkinListItems + 1); }, "limit"},
        ListDamage{"count beyond the items present", [](auto& b) { putLe32(b, kCountAt, 3); },
                   "ends inside"},
        ListDamage{"count short of the items present", [](auto& b) { putLe32(b, kCountAt, 1); },
                   "after the last item"},
        ListDamage{
            "name length beyond the end",
            [](auto& b) { putLe32(b, kFirstNameLengthAt, static_cast<std::uint32_t>(b.size())); },
            "runs past the end"},
        ListDamage{"name length over the label limit",
                   [](auto& b) { putLe32(b, kFirstNameLengthAt, 0xFFFFFFFFu); }, "over the limit"},
        ListDamage{
            "data length beyond the end",
            [](auto& b) { putLe32(b, kFirstDataLengthAt, static_cast<std::uint32_t>(b.size())); },
            "item 0 data length"},
        ListDamage{"data length at the 32-bit maximum",
                   [](auto& b) { putLe32(b, kFirstDataLengthAt, 0xFFFFFFFFu); },
                   "runs past the end"},
        ListDamage{"trailing byte", [](auto& b) { b.push_back(std::byte{0}); },
                   "after the last item"}),
    testing_support::NameFromWhat{});

// --- Damaged item data -----------------------------------------------------------------------

// A stream that needs a preset dictionary, which a skin never has.
std::vector<std::byte> zlibWithDictionary(std::string_view text) {
    z_stream stream{};
    EXPECT_EQ(deflateInit(&stream, 9), Z_OK);
    const std::string dictionary = "FontColor FontName";
    deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary.data()),
                         static_cast<uInt>(dictionary.size()));
    std::vector<std::byte> out(deflateBound(&stream, static_cast<uLong>(text.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

struct ItemDamage {
    const char* what;
    std::function<std::vector<std::byte>()> make;
    const char* reason;
};

void PrintTo(const ItemDamage& c, std::ostream* out) {
    *out << c.what;
}

class DamagedSkinItem : public testing::TestWithParam<ItemDamage> {};

TEST_P(DamagedSkinItem, IsRefusedWithAReason) {
    std::string description = "stale";
    std::string error;
    EXPECT_FALSE(decompressSkin(GetParam().make(), description, error));
    EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
    EXPECT_TRUE(description.empty());
}

std::vector<std::byte> goodBlock() {
    return zlibOf(kDescription);
}

std::vector<std::byte> withLastByteFlipped(std::vector<std::byte> block) {
    block.back() ^= std::byte{0xFF};
    return block;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedSkinItem,
    testing::Values(
        ItemDamage{"empty", [] { return std::vector<std::byte>{}; }, "shorter than its 8-byte"},
        ItemDamage{"header cut short",
                   [] {
                       std::vector<std::byte> data = itemData(goodBlock());
                       data.resize(7);
                       return data;
                   },
                   "shorter than its 8-byte"},
        ItemDamage{
            "version 2",
            [] { return itemData(2, static_cast<std::uint32_t>(goodBlock().size()), goodBlock()); },
            "version 2, expected 3"},
        ItemDamage{
            "version 4",
            [] { return itemData(4, static_cast<std::uint32_t>(goodBlock().size()), goodBlock()); },
            "version 4, expected 3"},
        ItemDamage{"stated length one beyond the data",
                   [] {
                       return itemData(3, static_cast<std::uint32_t>(goodBlock().size() + 1),
                                       goodBlock());
                   },
                   "only"},
        ItemDamage{"stated length at the 32-bit maximum",
                   [] { return itemData(3, 0xFFFFFFFFu, goodBlock()); }, "only"},
        ItemDamage{"bytes after the stated block",
                   [] {
                       return itemData(3, static_cast<std::uint32_t>(goodBlock().size() - 1),
                                       goodBlock());
                   },
                   "after the compressed block"},
        ItemDamage{"empty block", [] { return itemData({}); }, "cut short"},
        ItemDamage{"zlib stream cut short",
                   [] {
                       std::vector<std::byte> block = goodBlock();
                       block.resize(block.size() - 5);
                       return itemData(block);
                   },
                   "cut short"},
        ItemDamage{"corrupt zlib header",
                   [] {
                       std::vector<std::byte> block = goodBlock();
                       block[0] = std::byte{0};
                       return itemData(block);
                   },
                   "corrupt"},
        ItemDamage{"corrupt checksum", [] { return itemData(withLastByteFlipped(goodBlock())); },
                   "corrupt"},
        ItemDamage{"garbage inside the block after the stream",
                   [] {
                       std::vector<std::byte> block = goodBlock();
                       block.push_back(std::byte{0});
                       return itemData(block);
                   },
                   "before the end of the compressed block"},
        ItemDamage{"two streams in one block",
                   [] {
                       std::vector<std::byte> block = goodBlock();
                       const std::vector<std::byte> second = goodBlock();
                       block.insert(block.end(), second.begin(), second.end());
                       return itemData(block);
                   },
                   "before the end of the compressed block"},
        ItemDamage{"preset dictionary", [] { return itemData(zlibWithDictionary(kDescription)); },
                   "dictionary"},
        // A few kilobytes that would inflate past the cap must be stopped, not unpacked.
        ItemDamage{"inflation bomb",
                   [] { return itemData(zlibOf(std::string(kMaxSkinDescriptionSize + 1, '\0'))); },
                   "more than 8388608 bytes"}),
    testing_support::NameFromWhat{});

}  // namespace
}  // namespace veltrane::app
