#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "testdata/prng.h"
#include "testdata/sample_messages.h"

namespace veltrane::testdata {

enum class ProductKind { Grib, Bufr, Png, Imag, Fax, Text };

inline constexpr std::array<ProductKind, 6> kAllProductKinds{ProductKind::Grib, ProductKind::Bufr,
                                                             ProductKind::Png,  ProductKind::Imag,
                                                             ProductKind::Fax,  ProductKind::Text};

// Lower-case names used on the command line and in manifests: grib, bufr, png, imag, fax, text.
std::string_view productKindName(ProductKind kind);
std::optional<ProductKind> productKindFromName(std::string_view name);

// "\x01\r\r\n" + 5-digit sequence + "\r\r\n" + "TTAAii CCCC YYGGgg" + "\r\r\n".
inline constexpr std::size_t kWmoHeadingSize = 33;
// The WMO heading followed by 9 bytes starting with "DFAX".
inline constexpr std::size_t kFaxHeadingSize = 42;
// End-of-message trailer after GRIB, BUFR and text products.
inline constexpr std::string_view kWmoEndOfMessage = "\r\r\n\x03";

// Body sizes of the kinds whose size varies (heading and "IMAG" tag not included).
inline constexpr std::size_t kImagMinBody = 1024;
inline constexpr std::size_t kImagMaxBody = 384 * 1024;
inline constexpr std::size_t kFaxMinBody = 10 * 1024;
inline constexpr std::size_t kFaxMaxBody = 384 * 1024;
inline constexpr std::size_t kTextMinBody = 200;
inline constexpr std::size_t kTextMaxBody = 8 * 1024;

// Throws std::invalid_argument unless ttaaii has 6, cccc 4 and yygggg 6 bytes, none of them NUL.
std::string wmoHeading(std::uint32_t sequence, std::string_view ttaaii, std::string_view cccc,
                       std::string_view yygggg);
// faxTag must be 9 bytes starting with "DFAX" and free of NUL.
std::string faxHeading(std::uint32_t sequence, std::string_view ttaaii, std::string_view cccc,
                       std::string_view yygggg, std::string_view faxTag = "DFAX1802\n");

// Data type designators and originating centres the factory draws from; none of them contains
// a product signature, so readers identify a product only by what follows its heading.
std::span<const std::string_view> ttaaiiChoices(ProductKind kind);
std::span<const std::string_view> originCentreChoices();

// Each byte with its bit order reversed (0x01 <-> 0x80), as facsimile products are stored.
std::string reverseBits(std::string_view bytes);

// True if the bytes contain "GRIB", "BUFR", "IMAG", "PNG" or "DFAX".
bool containsProductSignature(std::string_view bytes);

// One archive member: its name and its data (heading + product).
struct Member {
    ProductKind kind;
    std::string name;
    std::string data;
};

// Makes members quickly: messages, images and byte pools are prepared once, and each member
// only copies a slice behind a fresh heading.
class ProductFactory {
  public:
    // GRIB and BUFR members need the corresponding samples; the other kinds need none.
    ProductFactory(SampleMessages samples, std::uint64_t seed);

    bool canMake(ProductKind kind) const;

    // `serial` numbers the member (names stay unique while serials do); `sizeLimit` caps the data
    // size where the kind allows, never going below the kind's smallest product. Throws
    // std::logic_error for GRIB or BUFR without samples.
    Member make(ProductKind kind, std::uint64_t serial, Prng& rng,
                std::size_t sizeLimit = std::numeric_limits<std::size_t>::max()) const;

  private:
    SampleMessages samples_;
    std::vector<std::string> pngs_;  // sorted by size
    std::string imagPool_;
    std::string faxPool_;  // already bit-reversed
};

}  // namespace veltrane::testdata
