#pragma once
// Where the About window opens and what it leaves behind: its left and top carry over from one
// run to the next in section "FrmAbout" of the placement file. The window reads the placement
// once, while it is still hidden at start, and writes its position at every shutdown.

#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/profile_file.h"

namespace veltrane::app {

// Where the window was laid out, used whenever the file gives no usable value.
inline constexpr int kAboutDesignedLeft = 382, kAboutDesignedTop = 317;
inline constexpr std::string_view kPlacementSection = "FrmAbout";
inline constexpr std::string_view kPlacementLeftKey = "Left";
inline constexpr std::string_view kPlacementTopKey = "Top";
// Read, never written: a user who sets it non-zero gets the window maximized.
inline constexpr std::string_view kPlacementMaximizedKey = "Maximized";

struct AboutPlacement {
    int left = kAboutDesignedLeft;
    int top = kAboutDesignedTop;
    bool maximized = false;

    bool operator==(const AboutPlacement&) const = default;
};

// A missing or non-numeric Left or Top keeps the designed coordinate; Maximized is true when
// it holds a non-zero integer.
AboutPlacement readAboutPlacement(const platform::ProfileDocument& document);

// A window of the given size whose right edge (left + width) would lie beyond desktopWidth is
// moved left until it lies on it; the same for the bottom edge and desktopHeight. A left or top
// below zero is left as it is, so a window wider than the desktop starts left of it.
AboutPlacement pullBackOntoDesktop(AboutPlacement placement, int windowWidth, int windowHeight,
                                   int desktopWidth, int desktopHeight);

// Sets Left and Top as decimal integers in section FrmAbout; every other line of the document,
// Maximized included, stays as it was.
void writeAboutPosition(platform::ProfileDocument& document, int left, int top);

// The placement in the file; a file that is missing or cannot be read gives the designed one.
AboutPlacement loadAboutPlacement(const std::filesystem::path& file);

// Writes left and top into the file, keeping the rest of it. A file that exists but cannot be
// read (or is too large to be a placement file) is left alone rather than replaced by one that
// holds only these two keys. Never throws: a failure comes back as the error, and the program
// ends all the same.
std::error_code saveAboutPosition(const std::filesystem::path& file, int left, int top);

}  // namespace veltrane::app
