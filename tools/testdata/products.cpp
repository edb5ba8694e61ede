#include "testdata/products.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "testdata/png_writer.h"

namespace veltrane::testdata {

namespace {

constexpr std::array<std::string_view, 5> kSignatures{"GRIB", "BUFR", "IMAG", "PNG", "DFAX"};

constexpr std::array<std::string_view, 6> kGribDesignators{"HTXA50", "HHXA85", "HUXB70",
                                                           "YTXC30", "YHNA85", "HRXE50"};
constexpr std::array<std::string_view, 4> kBufrDesignators{"ISMA01", "IUKX60", "ISXD02", "JSMA40"};
constexpr std::array<std::string_view, 3> kPngDesignators{"PYXA01", "PWXB02", "PJXC03"};
constexpr std::array<std::string_view, 3> kImagDesignators{"EISA10", "ETXA01", "EVXB11"};
constexpr std::array<std::string_view, 3> kFaxDesignators{"PPVA89", "PWXA20", "QEXA50"};
constexpr std::array<std::string_view, 6> kTextDesignators{"SAUS70", "SAXX01", "FTUS80",
                                                           "FTXE31", "SXUS40", "WWUS81"};
constexpr std::array<std::string_view, 8> kCentres{"KWBC", "EGRR", "LFPW", "EDZW",
                                                   "RJTD", "CWAO", "AMMC", "KNES"};

constexpr std::array<std::string_view, 10> kStations{"KJFK", "KLAX", "EGLL", "LFPG", "EDDF",
                                                     "RJTT", "CYYZ", "YSSY", "KORD", "EHAM"};
constexpr std::array<std::string_view, 6> kClouds{"FEW", "SCT", "BKN", "OVC", "FEW", "SCT"};
constexpr std::array<std::string_view, 8> kWeather{"",    "",     "-RA ", "RA ",
                                                   "BR ", "-SN ", "FG ",  "-SHRA "};

// Pool large enough that slices of the largest body still start at varied offsets.
constexpr std::size_t kPoolSize = kImagMaxBody + 64 * 1024;

struct ProductTime {
    unsigned day;
    unsigned hour;
    unsigned minute;
};

struct PngShape {
    std::uint32_t width;
    std::uint32_t height;
    PngColor color;
};

constexpr std::array<PngShape, 12> kPngShapes{{{16, 16, PngColor::Gray},
                                               {40, 30, PngColor::Rgb},
                                               {64, 64, PngColor::Gray},
                                               {100, 75, PngColor::Rgb},
                                               {128, 96, PngColor::Gray},
                                               {200, 150, PngColor::Rgb},
                                               {256, 192, PngColor::Gray},
                                               {320, 240, PngColor::Gray},
                                               {320, 240, PngColor::Rgb},
                                               {480, 360, PngColor::Gray},
                                               {400, 300, PngColor::Rgb},
                                               {640, 400, PngColor::Gray}}};
constexpr std::array<std::size_t, 4> kIdatSizes{8192, 65536, 32768, std::size_t{1} << 20};

template <typename T>
const T& pick(std::span<const T> choices, Prng& rng) {
    return choices[rng.below(choices.size())];
}

// Upper-case letters are what product signatures and SIG markers are made of; keeping them out
// of random bytes means no signature or marker can appear by accident, even across a join.
char withoutUpperCase(std::uint64_t value) {
    auto byte = static_cast<unsigned char>(value & 0xFF);
    if (byte >= 'A' && byte <= 'Z') {
        byte = static_cast<unsigned char>(byte | 0x20);
    }
    return static_cast<char>(byte);
}

std::string imagPool(Prng& rng) {
    std::string pool(kPoolSize, '\0');
    rng.fill(pool.data(), pool.size());
    std::transform(pool.begin(), pool.end(), pool.begin(),
                   [](char byte) { return withoutUpperCase(static_cast<unsigned char>(byte)); });
    return pool;
}

// Scanned pages are mostly white, so most bytes are zero with runs of random black pixels.
std::string faxPool(Prng& rng) {
    std::string pool(kPoolSize, '\0');
    for (char& byte : pool) {
        const std::uint64_t draw = rng.next();
        if ((draw >> 60) < 5) {
            byte = withoutUpperCase(draw);
        }
    }
    return pool;
}

std::string makePng(const PngShape& shape, std::size_t index, Prng& rng) {
    const std::size_t channels = shape.color == PngColor::Rgb ? 3 : 1;
    for (std::uint64_t attempt = 0;; ++attempt) {
        PngImage image{shape.width, shape.height, shape.color, {}};
        image.pixels.resize(std::size_t{shape.width} * shape.height * channels);
        const std::uint64_t phase = rng.next();
        std::size_t i = 0;
        for (std::uint32_t y = 0; y < shape.height; ++y) {
            for (std::uint32_t x = 0; x < shape.width; ++x) {
                for (std::size_t c = 0; c < channels; ++c) {
                    const std::uint64_t value =
                        x * 3 + y * 5 + ((x * y) >> 5) + c * 85 + phase + attempt;
                    image.pixels[i++] = withoutUpperCase(value);
                }
            }
        }
        std::string png = encodePng(image, kIdatSizes[index % kIdatSizes.size()]);
        // Lengths and CRCs are not filtered above; retry in the rare case they spell a
        // signature so that only the leading "\x89PNG" identifies the product.
        if (!containsProductSignature(std::string_view(png).substr(4))) {
            return png;
        }
    }
}

ProductTime drawTime(Prng& rng) {
    return ProductTime{static_cast<unsigned>(rng.between(1, 28)),
                       static_cast<unsigned>(rng.below(24)),
                       static_cast<unsigned>(rng.below(4) * 15)};
}

std::string yygggg(const ProductTime& time) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%02u%02u%02u", time.day, time.hour, time.minute);
    return std::string(text.data(), 6);
}

std::string memberName(std::string_view ttaaii, std::string_view cccc, const ProductTime& time,
                       std::uint64_t serial, std::string_view extension) {
    std::array<char, 64> stamp{};
    std::snprintf(stamp.data(), stamp.size(), "202612%02u%02u%02u00_%llu", time.day, time.hour,
                  time.minute, static_cast<unsigned long long>(serial));
    std::string name("A_");
    name.append(ttaaii).append(cccc).append(yygggg(time));
    name.append("_C_").append(cccc).append("_").append(stamp.data()).append(extension);
    return name;
}

// A random one among the items (sorted by size) whose size fits the limit; the smallest if none.
template <typename Item, typename SizeOf>
const Item& pickFitting(const std::vector<Item>& bySize, SizeOf sizeOf, std::size_t limit,
                        Prng& rng) {
    std::size_t fitting = 0;
    while (fitting < bySize.size() && sizeOf(bySize[fitting]) <= limit) {
        ++fitting;
    }
    return bySize[fitting == 0 ? 0 : rng.below(fitting)];
}

struct BodySize {
    std::size_t size;
    std::size_t upper;  // largest size the limit allows, never below the kind's minimum
};

BodySize drawBodySize(std::size_t minimum, std::size_t maximum, std::size_t limit, Prng& rng) {
    const std::size_t upper = std::clamp(limit, minimum, maximum);
    return BodySize{static_cast<std::size_t>(rng.between(minimum, upper)), upper};
}

std::string metarLine(Prng& rng) {
    std::array<char, 128> line{};
    const int temperature = static_cast<int>(rng.below(50)) - 15;
    const int dewpoint = temperature - static_cast<int>(rng.below(12));
    const auto celsius = [](int value, std::array<char, 8>& out) {
        std::snprintf(out.data(), out.size(), value < 0 ? "M%02d" : "%02d",
                      value < 0 ? -value : value);
    };
    std::array<char, 8> t{};
    std::array<char, 8> d{};
    celsius(temperature, t);
    celsius(dewpoint, d);
    const int length = std::snprintf(
        line.data(), line.size(), "%s %02u%02u50Z %03u%02uKT %04u %s%s%03u %s/%s Q%04u=",
        pick(std::span<const std::string_view>(kStations), rng).data(),
        static_cast<unsigned>(rng.between(1, 28)), static_cast<unsigned>(rng.below(24)),
        static_cast<unsigned>(rng.below(36) * 10), static_cast<unsigned>(rng.below(30)),
        rng.chance(1, 2) ? 9999U : static_cast<unsigned>(rng.between(8, 99) * 100),
        pick(std::span<const std::string_view>(kWeather), rng).data(),
        pick(std::span<const std::string_view>(kClouds), rng).data(),
        static_cast<unsigned>(rng.between(5, 250)), t.data(), d.data(),
        static_cast<unsigned>(rng.between(980, 1040)));
    return std::string(line.data(), static_cast<std::size_t>(length));
}

std::string tafLine(Prng& rng) {
    std::array<char, 128> line{};
    const auto day = static_cast<unsigned>(rng.between(1, 28));
    const auto hour = static_cast<unsigned>(rng.below(24));
    int length = 0;
    switch (rng.below(3)) {
        case 0:
            length = std::snprintf(
                line.data(), line.size(), "%s %02u%02u00Z %02u%02u/%02u%02u %03u%02uKT 9999 %s%03u",
                pick(std::span<const std::string_view>(kStations), rng).data(), day, hour, day,
                hour, day + 1, hour, static_cast<unsigned>(rng.below(36) * 10),
                static_cast<unsigned>(rng.below(25)),
                pick(std::span<const std::string_view>(kClouds), rng).data(),
                static_cast<unsigned>(rng.between(10, 250)));
            break;
        case 1:
            length = std::snprintf(
                line.data(), line.size(), "     FM%02u%02u00 %03u%02uKT %04u %s%03u", day, hour,
                static_cast<unsigned>(rng.below(36) * 10), static_cast<unsigned>(rng.below(25)),
                static_cast<unsigned>(rng.between(10, 99) * 100),
                pick(std::span<const std::string_view>(kClouds), rng).data(),
                static_cast<unsigned>(rng.between(5, 120)));
            break;
        default:
            length = std::snprintf(
                line.data(), line.size(), "     TEMPO %02u%02u/%02u%02u 4000 %s%s%03u=", day, hour,
                day, (hour + 4) % 24, pick(std::span<const std::string_view>(kWeather), rng).data(),
                pick(std::span<const std::string_view>(kClouds), rng).data(),
                static_cast<unsigned>(rng.between(5, 60)));
            break;
    }
    return std::string(line.data(), static_cast<std::size_t>(length));
}

// Lines joined by "\r\r\n" (the end-of-message trailer terminates the last one), at least
// `target` and at most `upper` bytes; a last line that would not fit is cut short.
std::string textBody(std::size_t target, std::size_t upper, Prng& rng) {
    const bool metar = rng.chance(1, 2);
    std::string body(metar ? "METAR" : "TAF");
    while (body.size() < target) {
        std::string line = metar ? metarLine(rng) : tafLine(rng);
        if (body.size() + 3 + line.size() > upper) {
            if (upper >= body.size() + 4) {
                line.resize(upper - body.size() - 3);
                body.append("\r\r\n").append(line);
            } else {
                body.append(target - body.size(), ' ');
            }
            break;
        }
        body.append("\r\r\n").append(line);
    }
    return body;
}

void requireField(std::string_view field, std::size_t size, const char* what) {
    if (field.size() != size || field.find('\0') != std::string_view::npos) {
        throw std::invalid_argument(std::string("WMO heading field ") + what + " must be " +
                                    std::to_string(size) + " bytes without NUL");
    }
}

}  // namespace

std::string_view productKindName(ProductKind kind) {
    switch (kind) {
        case ProductKind::Grib:
            return "grib";
        case ProductKind::Bufr:
            return "bufr";
        case ProductKind::Png:
            return "png";
        case ProductKind::Imag:
            return "imag";
        case ProductKind::Fax:
            return "fax";
        case ProductKind::Text:
            return "text";
    }
    return "unknown";
}

std::optional<ProductKind> productKindFromName(std::string_view name) {
    for (const ProductKind kind : kAllProductKinds) {
        if (productKindName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string wmoHeading(std::uint32_t sequence, std::string_view ttaaii, std::string_view cccc,
                       std::string_view yygggg) {
    requireField(ttaaii, 6, "TTAAii");
    requireField(cccc, 4, "CCCC");
    requireField(yygggg, 6, "YYGGgg");
    std::array<char, 8> digits{};
    std::snprintf(digits.data(), digits.size(), "%05u", sequence % 100000U);
    std::string heading("\x01\r\r\n");
    heading.append(digits.data(), 5).append("\r\r\n");
    heading.append(ttaaii).append(" ").append(cccc).append(" ").append(yygggg).append("\r\r\n");
    return heading;
}

std::string faxHeading(std::uint32_t sequence, std::string_view ttaaii, std::string_view cccc,
                       std::string_view yygggg, std::string_view faxTag) {
    requireField(faxTag, kFaxHeadingSize - kWmoHeadingSize, "fax tag");
    if (!faxTag.starts_with("DFAX")) {
        throw std::invalid_argument("fax tag must start with DFAX");
    }
    return wmoHeading(sequence, ttaaii, cccc, yygggg).append(faxTag);
}

std::span<const std::string_view> ttaaiiChoices(ProductKind kind) {
    switch (kind) {
        case ProductKind::Grib:
            return kGribDesignators;
        case ProductKind::Bufr:
            return kBufrDesignators;
        case ProductKind::Png:
            return kPngDesignators;
        case ProductKind::Imag:
            return kImagDesignators;
        case ProductKind::Fax:
            return kFaxDesignators;
        case ProductKind::Text:
            return kTextDesignators;
    }
    return kTextDesignators;
}

std::span<const std::string_view> originCentreChoices() {
    return kCentres;
}

std::string reverseBits(std::string_view bytes) {
    static constexpr auto kTable = [] {
        std::array<unsigned char, 256> table{};
        for (unsigned value = 0; value < 256; ++value) {
            unsigned reversed = 0;
            for (unsigned bit = 0; bit < 8; ++bit) {
                reversed |= ((value >> bit) & 1U) << (7 - bit);
            }
            table[value] = static_cast<unsigned char>(reversed);
        }
        return table;
    }();
    std::string out(bytes.size(), '\0');
    std::transform(bytes.begin(), bytes.end(), out.begin(), [](char byte) {
        return static_cast<char>(kTable[static_cast<unsigned char>(byte)]);
    });
    return out;
}

bool containsProductSignature(std::string_view bytes) {
    return std::any_of(kSignatures.begin(), kSignatures.end(), [bytes](std::string_view signature) {
        return bytes.find(signature) != std::string_view::npos;
    });
}

ProductFactory::ProductFactory(SampleMessages samples, std::uint64_t seed)
    : samples_(std::move(samples)) {
    // Derived from the seed but separate from the caller's stream, so the same seed always
    // yields the same pools however the caller draws.
    Prng rng(seed ^ 0x5EED0F0DDBA11ULL);
    imagPool_ = imagPool(rng);
    faxPool_ = faxPool(rng);
    for (std::size_t i = 0; i < kPngShapes.size(); ++i) {
        pngs_.push_back(makePng(kPngShapes[i], i, rng));
    }
    std::sort(pngs_.begin(), pngs_.end(),
              [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
    const auto bySize = [](const SampleMessage& a, const SampleMessage& b) {
        return a.bytes.size() < b.bytes.size();
    };
    std::sort(samples_.grib.begin(), samples_.grib.end(), bySize);
    std::sort(samples_.bufr.begin(), samples_.bufr.end(), bySize);
}

bool ProductFactory::canMake(ProductKind kind) const {
    switch (kind) {
        case ProductKind::Grib:
            return !samples_.grib.empty();
        case ProductKind::Bufr:
            return !samples_.bufr.empty();
        default:
            return true;
    }
}

Member ProductFactory::make(ProductKind kind, std::uint64_t serial, Prng& rng,
                            std::size_t sizeLimit) const {
    if (!canMake(kind)) {
        throw std::logic_error("no sample messages for " + std::string(productKindName(kind)));
    }
    const std::string_view ttaaii = pick(ttaaiiChoices(kind), rng);
    const std::string_view cccc = pick(originCentreChoices(), rng);
    const ProductTime time = drawTime(rng);
    const auto sequence = static_cast<std::uint32_t>(serial % 100000);
    std::string_view extension = ".bin";

    Member member{kind, {}, {}};
    if (kind == ProductKind::Fax) {
        std::array<char, 16> tag{};
        std::snprintf(tag.data(), tag.size(), "DFAX%04u\n",
                      static_cast<unsigned>(rng.below(10000)));
        member.data = faxHeading(sequence, ttaaii, cccc, yygggg(time), tag.data());
    } else {
        member.data = wmoHeading(sequence, ttaaii, cccc, yygggg(time));
    }
    const std::size_t bodyLimit =
        sizeLimit > member.data.size() ? sizeLimit - member.data.size() : 0;
    // The "IMAG" tag and the end-of-message trailer are both four bytes.
    const auto withoutTag = [](std::size_t limit) { return limit > 4 ? limit - 4 : 0; };

    switch (kind) {
        case ProductKind::Grib:
        case ProductKind::Bufr: {
            const auto& messages = kind == ProductKind::Grib ? samples_.grib : samples_.bufr;
            const SampleMessage& message = pickFitting(
                messages,
                [](const SampleMessage& m) { return m.bytes.size() + kWmoEndOfMessage.size(); },
                bodyLimit, rng);
            member.data.append(message.bytes).append(kWmoEndOfMessage);
            // Some feeds already name GRIB members with a .grb extension.
            if (kind == ProductKind::Grib && rng.chance(1, 4)) {
                extension = message.edition == 2 ? ".grib2.grb" : ".grb";
            }
            break;
        }
        case ProductKind::Png: {
            member.data.append(pickFitting(
                pngs_, [](const std::string& png) { return png.size(); }, bodyLimit, rng));
            break;
        }
        case ProductKind::Imag: {
            const std::size_t size =
                drawBodySize(kImagMinBody, kImagMaxBody, withoutTag(bodyLimit), rng).size;
            member.data.reserve(member.data.size() + 4 + size);
            member.data.append("IMAG").append(
                std::string_view(imagPool_).substr(rng.below(imagPool_.size() - size + 1), size));
            break;
        }
        case ProductKind::Fax: {
            const std::size_t size = drawBodySize(kFaxMinBody, kFaxMaxBody, bodyLimit, rng).size;
            member.data.append(
                std::string_view(faxPool_).substr(rng.below(faxPool_.size() - size + 1), size));
            break;
        }
        case ProductKind::Text: {
            const BodySize size =
                drawBodySize(kTextMinBody, kTextMaxBody, withoutTag(bodyLimit), rng);
            member.data.append(textBody(size.size, size.upper, rng)).append(kWmoEndOfMessage);
            break;
        }
    }
    member.name = memberName(ttaaii, cccc, time, serial, extension);
    return member;
}

}  // namespace veltrane::testdata
