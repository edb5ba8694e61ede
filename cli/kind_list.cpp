#include "cli/kind_list.h"

#include <array>
#include <utility>

namespace veltrane::cli {
namespace {

constexpr std::array<std::pair<std::string_view, ProductKind>, kProductKindCount> kKindWords = {{
    {"grib", ProductKind::Grib},
    {"bufr", ProductKind::Bufr},
    {"png", ProductKind::Png},
    {"imag", ProductKind::Imag},
    {"fax", ProductKind::Fax},
    {"ascii", ProductKind::Ascii},
}};

}  // namespace

std::optional<KindSelection> parseKindList(std::string_view list, std::string& problem) {
    KindSelection selection;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view word = list.substr(start, comma - start);
        start = comma + 1;
        if (word == "all") {
            selection = KindSelection::all();
            continue;
        }
        bool known = false;
        for (const auto& [name, kind] : kKindWords) {
            if (word == name) {
                selection.set(kind);
                known = true;
            }
        }
        if (!known) {
            problem = word.empty() ? "an empty kind in the list \"" + std::string(list) + "\""
                                   : "unknown kind \"" + std::string(word) +
                                         "\" (known: grib, bufr, png, imag, fax, ascii, all)";
            return std::nullopt;
        }
    }
    return selection;
}

}  // namespace veltrane::cli
