#pragma once
// The skin list embedded in the program: named items, each one skin description compressed as
// a small header and one zlib stream. The windows take their look from item 0 at start.
//
// List file ("VSKL"), all integers 32-bit little-endian:
//   "VSKL", item count, then per item: Name, CompressedFileName and data, each as a length
//   followed by that many bytes.
// Item data:
//   format version (3), length of the compressed block, then the block: exactly one zlib stream.
//
// Everything read here may come from a damaged or hostile file, so every length is checked
// against what is left before it is used and the inflated size is capped.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltrane::app {

inline constexpr std::uint32_t kSkinFormatVersion = 3;

// Two integers, version and compressed length, in front of every item's zlib stream.
inline constexpr std::size_t kSkinHeaderSize = 8;

// A skin description is a few kilobytes of text; far more than that is a damaged or hostile
// item, refused before it can exhaust memory.
inline constexpr std::size_t kMaxSkinDescriptionSize = 8u * 1024u * 1024u;

// The program carries one skin and may carry a second; a count beyond this is damage.
inline constexpr std::uint32_t kMaxSkinListItems = 64;

// Names and file names are short labels; a longer one is damage, not data.
inline constexpr std::uint32_t kMaxSkinLabelLength = 1024;

struct SkinListItem {
    std::string Name;                // "bsSkin0"
    std::string CompressedFileName;  // the file the item was made from; recorded only
    std::vector<std::byte> data;     // LE32 version, LE32 compressed length, one zlib stream

    bool operator==(const SkinListItem&) const = default;
};

// The list file's bytes. Labels longer than kMaxSkinLabelLength or more than kMaxSkinListItems
// items give a file parseSkinList refuses; the packing tool checks its output by reading it back.
std::vector<std::byte> packSkinList(const std::vector<SkinListItem>& items);

// Reads a whole list file. The file must end exactly after its last item. On failure `items` is
// left empty and `error` says what is wrong and where.
bool parseSkinList(std::span<const std::byte> bytes, std::vector<SkinListItem>& items,
                   std::string& error);

// The item data for a description: the two-integer header, then the description deflated in
// zlib format at level 9. Empty when the description is longer than kMaxSkinDescriptionSize,
// since decompressSkin would refuse it, or when zlib fails.
std::vector<std::byte> compressSkin(std::string_view description);

// Unpacks item data made by compressSkin. The data must be exactly the header and the block it
// states, and the block exactly one whole zlib stream: bytes after the stream or after the
// block are refused rather than ignored, since a skin that does not end where it says it does
// is damaged. On failure `description` is left empty and `error` gives the reason.
bool decompressSkin(std::span<const std::byte> itemData, std::string& description,
                    std::string& error);

// Unpacks the item at `index` of a parsed list; the error names the item, or says there is none.
bool unpackSkinItem(std::span<const SkinListItem> items, std::size_t index,
                    std::string& description, std::string& error);

// Reads a list file and unpacks its item at `index`, as the skin data module does with item 0
// when it is created.
bool unpackListedSkin(std::span<const std::byte> listBytes, std::size_t index,
                      std::string& description, std::string& error);

}  // namespace veltrane::app
