#include "app/about_placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <optional>
#include <string>

namespace veltrane::app {
namespace {

std::optional<int> readInt(const platform::ProfileDocument& document, std::string_view key) {
    const auto text = document.value(kPlacementSection, key);
    return text ? platform::parseProfileInt(*text) : std::nullopt;
}

// The coordinate that puts the far edge (start + length) on the limit when it lies beyond it.
// In 64 bits: a stored left near INT_MAX plus the window's width must not wrap round.
int pulledBack(int start, int length, int limit) {
    const std::int64_t farEdge = std::int64_t{start} + length;
    if (farEdge <= limit) {
        return start;
    }
    const std::int64_t moved = std::int64_t{limit} - length;
    return static_cast<int>(std::clamp<std::int64_t>(moved, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

}  // namespace

AboutPlacement readAboutPlacement(const platform::ProfileDocument& document) {
    AboutPlacement placement;
    placement.left = readInt(document, kPlacementLeftKey).value_or(kAboutDesignedLeft);
    placement.top = readInt(document, kPlacementTopKey).value_or(kAboutDesignedTop);
    placement.maximized = readInt(document, kPlacementMaximizedKey).value_or(0) != 0;
    return placement;
}

AboutPlacement pullBackOntoDesktop(AboutPlacement placement, int windowWidth, int windowHeight,
                                   int desktopWidth, int desktopHeight) {
    placement.left = pulledBack(placement.left, windowWidth, desktopWidth);
    placement.top = pulledBack(placement.top, windowHeight, desktopHeight);
    return placement;
}

void writeAboutPosition(platform::ProfileDocument& document, int left, int top) {
    // Section and key names are constants that always make valid lines.
    document.setValue(kPlacementSection, kPlacementLeftKey, std::to_string(left));
    document.setValue(kPlacementSection, kPlacementTopKey, std::to_string(top));
}

AboutPlacement loadAboutPlacement(const std::filesystem::path& file) {
    platform::ProfileDocument document;
    // A file that cannot be read leaves an empty document: the designed position.
    static_cast<void>(platform::readProfileFile(file, document));
    return readAboutPlacement(document);
}

std::error_code saveAboutPosition(const std::filesystem::path& file, int left, int top) {
    try {
        platform::ProfileDocument document;
        if (const auto error = platform::readProfileFile(file, document)) {
            return error;
        }
        writeAboutPosition(document, left, top);
        return platform::writeProfileFile(file, document);
    } catch (const std::bad_alloc&) {
        return std::make_error_code(std::errc::not_enough_memory);
    }
}

}  // namespace veltrane::app
