#include "engine/product_kinds.h"

#include <algorithm>
#include <limits>

namespace veltrane::products {
namespace {

// Bytes behind the signature that hold a 24-bit GRIB-1 or BUFR message length.
constexpr std::size_t kLength24Offset = 4;
// GRIB's edition octet, and behind it the 64-bit total length of an edition-2 message.
constexpr std::size_t kEditionOffset = 7;
constexpr std::size_t kLength64Offset = 8;
// A BUFR product carries four bytes more than its declared length.
constexpr std::int64_t kBufrExtraBytes = 4;

std::uint64_t bigEndian(std::span<const std::byte> prefix, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        // A byte the archive does not hold reads as zero.
        const std::size_t index = at + i;
        const auto byte = index < prefix.size() ? static_cast<std::uint8_t>(prefix[index]) : 0;
        value = (value << 8) | byte;
    }
    return value;
}

std::int64_t gribLength(std::span<const std::byte> prefix, std::size_t signatureAt) {
    const std::size_t editionAt = signatureAt + kEditionOffset;
    const bool editionTwo =
        editionAt < prefix.size() && static_cast<std::uint8_t>(prefix[editionAt]) == 2;
    if (!editionTwo) {
        return static_cast<std::int64_t>(bigEndian(prefix, signatureAt + kLength24Offset, 3));
    }
    const std::uint64_t length = bigEndian(prefix, signatureAt + kLength64Offset, 8);
    return static_cast<std::int64_t>(
        std::min<std::uint64_t>(length, std::numeric_limits<std::int64_t>::max()));
}

}  // namespace

const KindInfo& infoFor(ProductKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

std::optional<ProductPlan> planProduct(std::span<const std::byte> dataPrefix,
                                       std::int64_t memberSize, KindSelection selected) {
    // The window ends at the first NUL, and never reaches past the member's own data: a short
    // member must not be classified by the next header's bytes.
    const std::size_t windowSize =
        std::min<std::size_t>({kSignatureWindow, dataPrefix.size(),
                               static_cast<std::size_t>(std::max<std::int64_t>(memberSize, 0))});
    std::string_view window{reinterpret_cast<const char*>(dataPrefix.data()), windowSize};
    window = window.substr(0, window.find('\0'));

    for (const KindInfo& info : kKinds) {
        if (!selected.contains(info.kind)) {
            continue;
        }
        if (info.kind == ProductKind::Ascii) {
            return ProductPlan{ProductKind::Ascii, 0, memberSize};
        }
        const std::size_t at = window.find(info.signature);
        if (at == std::string_view::npos) {
            continue;
        }
        switch (info.kind) {
            case ProductKind::Grib:
                return ProductPlan{info.kind, kHeadingLength, gribLength(dataPrefix, at), false,
                                   MessageEndCheck::AtEnd};
            case ProductKind::Bufr:
                return ProductPlan{
                    info.kind, kHeadingLength,
                    static_cast<std::int64_t>(bigEndian(dataPrefix, at + kLength24Offset, 3)) +
                        kBufrExtraBytes,
                    false, MessageEndCheck::FourBeforeEnd};
            case ProductKind::Imag:
            case ProductKind::Png:
                return ProductPlan{info.kind, kHeadingLength, memberSize - kHeadingLength};
            case ProductKind::Fax:
                return ProductPlan{info.kind, kFaxHeadingLength, memberSize - kFaxHeadingLength,
                                   true};
            case ProductKind::Ascii:
                break;
        }
    }
    return std::nullopt;
}

}  // namespace veltrane::products
