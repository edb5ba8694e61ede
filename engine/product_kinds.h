#pragma once
// How a TAR member becomes a product: its kind, from the signature near the start of its data,
// and which bytes of it to copy. Pure functions over the first bytes of the member's data.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "engine/run_types.h"

namespace veltrane::products {

// The signature that tells a member's kind stands within the first 42 bytes of its data.
inline constexpr std::size_t kSignatureWindow = 42;
// A GRIB edition-2 length ends 16 bytes behind its signature; read enough to see it.
inline constexpr std::size_t kDataPrefixSize = kSignatureWindow + 16;
// The WMO heading in front of GRIB, BUFR, IMAG and PNG products.
inline constexpr std::int64_t kHeadingLength = 33;
// Facsimiles carry a longer heading.
inline constexpr std::int64_t kFaxHeadingLength = 42;
// Every complete GRIB and BUFR message ends with these four bytes.
inline constexpr std::string_view kMessageEnd = "7777";

struct KindInfo {
    ProductKind kind;
    std::string_view signature;  // empty for ASCII: it takes whatever no other kind took
    std::string_view folder;
    std::string_view suffix;  // appended when the name does not hold it already
    Counter counter;
};

inline constexpr std::array<KindInfo, kProductKindCount> kKinds = {{
    {ProductKind::Grib, "GRIB", "GRIB Files", ".grb", Counter::Grib},
    {ProductKind::Bufr, "BUFR", "BUFR Files", ".bfr", Counter::Bufr},
    {ProductKind::Imag, "IMAG", "IMAG Files", ".img", Counter::Imag},
    {ProductKind::Png, "PNG", "PNG Files", ".png", Counter::Png},
    {ProductKind::Fax, "DFAX", "FAX Files", ".fax", Counter::Fax},
    {ProductKind::Ascii, "", "ASCII Files", "", Counter::Ascii},
}};

inline constexpr std::string_view kTarFolder = "TAR Files";

const KindInfo& infoFor(ProductKind kind);

// Where the message that the copy must end with "7777" is checked.
enum class MessageEndCheck { None, AtEnd, FourBeforeEnd };

// What to copy for one member: `count` bytes from `offset` into the member's data.
struct ProductPlan {
    ProductKind kind = ProductKind::Ascii;
    std::int64_t offset = 0;
    std::int64_t count = 0;  // zero or less leaves an empty file
    bool bitReversed = false;
    MessageEndCheck endCheck = MessageEndCheck::None;
};

// Chooses the kind of a member and the bytes to copy. `dataPrefix` holds up to
// kDataPrefixSize bytes from the start of the member's data (fewer where the archive ends);
// the signature is looked for only within the member's own data. nullopt: nothing to write.
std::optional<ProductPlan> planProduct(std::span<const std::byte> dataPrefix,
                                       std::int64_t memberSize, KindSelection selected);

}  // namespace veltrane::products
