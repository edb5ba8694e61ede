#include "app/skin_list.h"

// zlib's input pointers are const under ZLIB_CONST, so our read-only spans need no cast.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <array>
#include <optional>

namespace veltrane::app {
namespace {

constexpr std::array<std::byte, 4> kListMagic{std::byte{'V'}, std::byte{'S'}, std::byte{'K'},
                                              std::byte{'L'}};

// Output grows by this much per inflate call, so memory stays within the cap plus one chunk.
constexpr std::size_t kInflateChunk = 64u * 1024u;

void appendLe32(std::vector<std::byte>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::byte>((value >> shift) & 0xFFu));
    }
}

std::uint32_t le32At(std::span<const std::byte> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    }
    return value;
}

void appendField(std::vector<std::byte>& out, std::span<const std::byte> field) {
    appendLe32(out, static_cast<std::uint32_t>(field.size()));
    out.insert(out.end(), field.begin(), field.end());
}

std::span<const std::byte> asBytes(std::string_view text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

// Walks a list file front to back; every read checks what is left first.
class ListReader {
  public:
    explicit ListReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::size_t offset() const { return at_; }
    std::size_t remaining() const { return bytes_.size() - at_; }

    std::optional<std::uint32_t> le32(std::string_view what, std::string& error) {
        if (remaining() < 4) {
            error =
                "list ends inside the " + std::string(what) + " at offset " + std::to_string(at_);
            return std::nullopt;
        }
        const std::uint32_t value = le32At(bytes_, at_);
        at_ += 4;
        return value;
    }

    std::optional<std::span<const std::byte>> field(std::string_view what, std::uint32_t maxLength,
                                                    std::string& error) {
        const std::size_t lengthAt = at_;
        const auto length = le32(std::string(what) + " length", error);
        if (!length) {
            return std::nullopt;
        }
        if (*length > maxLength) {
            error = std::string(what) + " length " + std::to_string(*length) + " at offset " +
                    std::to_string(lengthAt) + " is over the limit of " + std::to_string(maxLength);
            return std::nullopt;
        }
        if (*length > remaining()) {
            error = std::string(what) + " length " + std::to_string(*length) + " at offset " +
                    std::to_string(lengthAt) + " runs past the end of the list (" +
                    std::to_string(remaining()) + " bytes left)";
            return std::nullopt;
        }
        const auto value = bytes_.subspan(at_, *length);
        at_ += *length;
        return value;
    }

  private:
    std::span<const std::byte> bytes_;
    std::size_t at_ = 0;
};

std::string asText(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool readItems(std::span<const std::byte> bytes, std::vector<SkinListItem>& items,
               std::string& error) {
    if (bytes.size() < kListMagic.size() ||
        !std::equal(kListMagic.begin(), kListMagic.end(), bytes.begin())) {
        error = "not a skin list: the file does not start with \"VSKL\"";
        return false;
    }
    ListReader reader(bytes.subspan(kListMagic.size()));
    const auto count = reader.le32("item count", error);
    if (!count) {
        return false;
    }
    if (*count > kMaxSkinListItems) {
        error = "list claims " + std::to_string(*count) + " items, more than the limit of " +
                std::to_string(kMaxSkinListItems);
        return false;
    }
    for (std::uint32_t index = 0; index < *count; ++index) {
        const std::string item = "item " + std::to_string(index);
        const auto name = reader.field(item + " Name", kMaxSkinLabelLength, error);
        if (!name) {
            return false;
        }
        const auto fileName =
            reader.field(item + " CompressedFileName", kMaxSkinLabelLength, error);
        if (!fileName) {
            return false;
        }
        // The data needs no limit of its own: it cannot be longer than the file that holds it.
        const auto data = reader.field(item + " data", UINT32_MAX, error);
        if (!data) {
            return false;
        }
        items.push_back({asText(*name), asText(*fileName), {data->begin(), data->end()}});
    }
    if (reader.remaining() != 0) {
        error = std::to_string(reader.remaining()) + " unexpected bytes after the last item";
        return false;
    }
    return true;
}

std::string zlibReason(const z_stream& stream, int code) {
    if (stream.msg != nullptr) {
        return stream.msg;
    }
    return "zlib error " + std::to_string(code);
}

bool inflateWhole(std::span<const std::byte> block, std::string& out, std::string& error) {
    z_stream stream{};
    if (const int code = inflateInit(&stream); code != Z_OK) {
        error = "cannot start zlib: " + zlibReason(stream, code);
        return false;
    }
    stream.next_in = reinterpret_cast<const Bytef*>(block.data());
    // The block's length came from a 32-bit field, so it fits zlib's counter.
    stream.avail_in = static_cast<uInt>(block.size());

    const std::string tooBig =
        "skin inflates to more than " + std::to_string(kMaxSkinDescriptionSize) + " bytes";
    bool whole = false;
    for (;;) {
        if (out.size() > kMaxSkinDescriptionSize) {
            error = tooBig;
            break;
        }
        const std::size_t before = out.size();
        out.resize(before + kInflateChunk);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + before);
        stream.avail_out = static_cast<uInt>(kInflateChunk);
        const int code = inflate(&stream, Z_NO_FLUSH);
        out.resize(before + (kInflateChunk - stream.avail_out));
        if (code == Z_OK) {
            continue;
        }
        if (code == Z_STREAM_END) {
            whole = true;
        } else if (code == Z_BUF_ERROR) {
            // No progress although there was room to write: the input ran out mid-stream.
            error = "zlib stream is cut short: the compressed block ends inside it";
        } else if (code == Z_NEED_DICT) {
            error = "zlib stream asks for a preset dictionary";
        } else {
            error = "zlib stream is corrupt: " + zlibReason(stream, code);
        }
        break;
    }
    if (whole && out.size() > kMaxSkinDescriptionSize) {
        error = tooBig;
        whole = false;
    }
    if (whole && stream.avail_in != 0) {
        error = "zlib stream ends " + std::to_string(stream.avail_in) +
                " bytes before the end of the compressed block";
        whole = false;
    }
    inflateEnd(&stream);
    return whole;
}

}  // namespace

std::vector<std::byte> packSkinList(const std::vector<SkinListItem>& items) {
    std::vector<std::byte> out(kListMagic.begin(), kListMagic.end());
    appendLe32(out, static_cast<std::uint32_t>(items.size()));
    for (const SkinListItem& item : items) {
        appendField(out, asBytes(item.Name));
        appendField(out, asBytes(item.CompressedFileName));
        appendField(out, item.data);
    }
    return out;
}

bool parseSkinList(std::span<const std::byte> bytes, std::vector<SkinListItem>& items,
                   std::string& error) {
    items.clear();
    error.clear();
    if (!readItems(bytes, items, error)) {
        items.clear();
        return false;
    }
    return true;
}

std::vector<std::byte> compressSkin(std::string_view description) {
    if (description.size() > kMaxSkinDescriptionSize) {
        return {};
    }
    uLongf compressedLength = compressBound(static_cast<uLong>(description.size()));
    std::vector<std::byte> data(kSkinHeaderSize + compressedLength);
    const int code =
        compress2(reinterpret_cast<Bytef*>(data.data() + kSkinHeaderSize), &compressedLength,
                  reinterpret_cast<const Bytef*>(description.data()),
                  static_cast<uLong>(description.size()), Z_BEST_COMPRESSION);
    if (code != Z_OK) {
        return {};
    }
    data.resize(kSkinHeaderSize + compressedLength);
    std::vector<std::byte> header;
    appendLe32(header, kSkinFormatVersion);
    appendLe32(header, static_cast<std::uint32_t>(compressedLength));
    std::copy(header.begin(), header.end(), data.begin());
    return data;
}

bool decompressSkin(std::span<const std::byte> itemData, std::string& description,
                    std::string& error) {
    description.clear();
    error.clear();
    if (itemData.size() < kSkinHeaderSize) {
        error = "skin data is " + std::to_string(itemData.size()) +
                " bytes, shorter than its 8-byte header";
        return false;
    }
    const std::uint32_t version = le32At(itemData, 0);
    if (version != kSkinFormatVersion) {
        error = "skin format version " + std::to_string(version) + ", expected " +
                std::to_string(kSkinFormatVersion);
        return false;
    }
    const std::uint32_t stated = le32At(itemData, 4);
    const std::size_t present = itemData.size() - kSkinHeaderSize;
    if (stated > present) {
        error = "header states a compressed block of " + std::to_string(stated) +
                " bytes but only " + std::to_string(present) + " follow";
        return false;
    }
    if (stated < present) {
        error = std::to_string(present - stated) + " unexpected bytes after the compressed block";
        return false;
    }
    if (!inflateWhole(itemData.subspan(kSkinHeaderSize), description, error)) {
        description.clear();
        return false;
    }
    return true;
}

bool unpackSkinItem(std::span<const SkinListItem> items, std::size_t index,
                    std::string& description, std::string& error) {
    description.clear();
    if (index >= items.size()) {
        error = "the skin list has " + std::to_string(items.size()) + " items, none at index " +
                std::to_string(index);
        return false;
    }
    if (!decompressSkin(items[index].data, description, error)) {
        error = "skin \"" + items[index].Name + "\": " + error;
        return false;
    }
    return true;
}

bool unpackListedSkin(std::span<const std::byte> listBytes, std::size_t index,
                      std::string& description, std::string& error) {
    description.clear();
    std::vector<SkinListItem> items;
    return parseSkinList(listBytes, items, error) &&
           unpackSkinItem(items, index, description, error);
}

}  // namespace veltrane::app
