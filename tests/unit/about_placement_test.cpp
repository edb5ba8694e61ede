// Where the About window opens: the designed position unless the placement file gives another,
// pulled back onto the desktop; and what it writes at shutdown.

#include "app/about_placement.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "case_name.h"
#include "run_fixture.h"

// Beside the type, where GoogleTest looks for it.
namespace veltrane::app {
static void PrintTo(const AboutPlacement& p, std::ostream* out) {
    *out << "{" << p.left << ", " << p.top << (p.maximized ? ", maximized}" : "}");
}
}  // namespace veltrane::app

namespace veltrane {
namespace {

using app::AboutPlacement;
using app::kAboutDesignedLeft;
using app::kAboutDesignedTop;
using platform::ProfileDocument;
using testing_support::NameFromWhat;
using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

// ---- Reading ------------------------------------------------------------------------------

struct ReadCase {
    const char* what;
    std::string text;
    AboutPlacement expected;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << c.what;
}

class PlacementRead : public testing::TestWithParam<ReadCase> {};

TEST_P(PlacementRead, TakesWhatTheFileGivesElseTheDesign) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(app::readAboutPlacement(ProfileDocument::parse(c.text)), c.expected);
}

constexpr int L = kAboutDesignedLeft;
constexpr int T = kAboutDesignedTop;

INSTANTIATE_TEST_SUITE_P(
    Rows, PlacementRead,
    testing::Values(
        ReadCase{"no file", "", {L, T, false}},
        ReadCase{"both keys", "[FrmAbout]\nLeft=10\nTop=20\n", {10, 20, false}},
        ReadCase{"names in other case", "[FRMABOUT]\nleft = 10\nTOP=20\n", {10, 20, false}},
        ReadCase{"non-numeric Left", "[FrmAbout]\nLeft=abc\nTop=20\n", {L, 20, false}},
        ReadCase{"Left with trailing letters", "[FrmAbout]\nLeft=10px\nTop=20\n", {L, 20, false}},
        ReadCase{"empty Top", "[FrmAbout]\nLeft=10\nTop=\n", {10, T, false}},
        ReadCase{"missing Top", "[FrmAbout]\nLeft=10\n", {10, T, false}},
        ReadCase{"Left beyond int", "[FrmAbout]\nLeft=99999999999\nTop=20\n", {L, 20, false}},
        ReadCase{"keys of another section", "[Other]\nLeft=10\nTop=20\n", {L, T, false}},
        ReadCase{"negative kept", "[FrmAbout]\nLeft=-50\nTop=-7\n", {-50, -7, false}},
        ReadCase{"Maximized one", "[FrmAbout]\nMaximized=1\n", {L, T, true}},
        ReadCase{"Maximized negative", "[FrmAbout]\nMaximized=-1\n", {L, T, true}},
        ReadCase{"Maximized zero", "[FrmAbout]\nMaximized=0\n", {L, T, false}},
        ReadCase{"Maximized non-numeric", "[FrmAbout]\nMaximized=yes\n", {L, T, false}}),
    NameFromWhat{});

// ---- Pull-back ----------------------------------------------------------------------------

struct PullBackCase {
    const char* what;
    AboutPlacement in;
    int width, height, desktopWidth, desktopHeight;
    AboutPlacement expected;
};

void PrintTo(const PullBackCase& c, std::ostream* out) {
    *out << c.what;
}

class PlacementPullBack : public testing::TestWithParam<PullBackCase> {};

TEST_P(PlacementPullBack, PutsTheFarEdgeOnTheDesktop) {
    const PullBackCase& c = GetParam();
    EXPECT_EQ(app::pullBackOntoDesktop(c.in, c.width, c.height, c.desktopWidth, c.desktopHeight),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlacementPullBack,
    testing::Values(
        PullBackCase{"inside", {382, 317, false}, 229, 430, 1920, 1080, {382, 317, false}},
        PullBackCase{
            "edges exactly on it", {1691, 650, false}, 229, 430, 1920, 1080, {1691, 650, false}},
        PullBackCase{"right beyond", {1800, 100, false}, 229, 430, 1920, 1080, {1691, 100, false}},
        PullBackCase{"bottom beyond", {100, 900, false}, 229, 430, 1920, 1080, {100, 650, false}},
        PullBackCase{"both beyond", {5000, 5000, true}, 229, 430, 1920, 1080, {1691, 650, true}},
        PullBackCase{"negative kept", {-300, -20, false}, 229, 430, 1920, 1080, {-300, -20, false}},
        PullBackCase{
            "window wider than desktop", {10, 10, false}, 800, 600, 640, 480, {-160, -120, false}},
        // left + width wraps round in 32 bits and would look like a small negative edge.
        PullBackCase{"left near INT_MAX",
                     {INT_MAX - 10, INT_MAX, false},
                     229,
                     430,
                     1920,
                     1080,
                     {1691, 650, false}},
        PullBackCase{"limit near INT_MIN",
                     {0, 0, false},
                     INT_MAX,
                     INT_MAX,
                     INT_MIN,
                     INT_MIN,
                     {INT_MIN, INT_MIN, false}}),
    NameFromWhat{});

// ---- Writing ------------------------------------------------------------------------------

TEST(PlacementWrite, SetsLeftAndTopAndKeepsTheRest) {
    const std::string before =
        "; placement of the windows\r\n"
        "[Main]\r\n"
        "Left=5\r\n"
        "\r\n"
        "[frmabout]\r\n"
        "Maximized=1\r\n"
        "top = 2\r\n"
        "[Other]\r\n"
        "x=y\r\n";
    auto document = ProfileDocument::parse(before);
    app::writeAboutPosition(document, -12, 640);
    EXPECT_EQ(document.text(),
              "; placement of the windows\r\n"
              "[Main]\r\n"
              "Left=5\r\n"
              "\r\n"
              "[frmabout]\r\n"
              "Maximized=1\r\n"
              "top = 640\r\n"
              "Left=-12\r\n"
              "[Other]\r\n"
              "x=y\r\n");
    EXPECT_EQ(app::readAboutPlacement(document), (AboutPlacement{-12, 640, true}));
}

TEST(PlacementFile, RoundTripHoldsOnlyLeftAndTop) {
    ScratchFolder scratch;
    const auto file = scratch.path() / "config" / "DllCrt";  // the folder does not exist yet
    EXPECT_EQ(app::loadAboutPlacement(file), (AboutPlacement{L, T, false}));

    ASSERT_FALSE(app::saveAboutPosition(file, 500, 60));
    EXPECT_EQ(readFile(file), "[FrmAbout]\nLeft=500\nTop=60\n");
    EXPECT_EQ(app::loadAboutPlacement(file), (AboutPlacement{500, 60, false}));

    ASSERT_FALSE(app::saveAboutPosition(file, INT_MIN, INT_MAX));
    EXPECT_EQ(readFile(file), "[FrmAbout]\nLeft=-2147483648\nTop=2147483647\n");
    EXPECT_EQ(app::loadAboutPlacement(file), (AboutPlacement{INT_MIN, INT_MAX, false}));
}

TEST(PlacementFile, SaveKeepsOtherSectionsCommentsAndMaximized) {
    ScratchFolder scratch;
    const auto file = scratch.path() / "DllCrt";
    writeFile(file, "[Other]\nLeft=1\n\n; user's note\n[FrmAbout]\nMaximized=1\nLeft=9\n");
    ASSERT_FALSE(app::saveAboutPosition(file, 30, 40));
    EXPECT_EQ(readFile(file),
              "[Other]\nLeft=1\n\n; user's note\n[FrmAbout]\nMaximized=1\nLeft=30\nTop=40\n");
    EXPECT_EQ(app::loadAboutPlacement(file), (AboutPlacement{30, 40, true}));
}

TEST(PlacementFile, BrokenFileGivesTheDesignedPosition) {
    ScratchFolder scratch;
    const auto garbage = scratch.path() / "garbage";
    writeFile(garbage, std::string("\x00\xFF[FrmAbout\nLeft\n=12\n\x01", 22));
    const auto folder = scratch.path() / "folder";
    std::filesystem::create_directory(folder);
    for (const auto& file : {garbage, folder}) {
        SCOPED_TRACE(file.filename().string());
        EXPECT_EQ(app::loadAboutPlacement(file), (AboutPlacement{L, T, false}));
    }
}

// Shutdown must go on whatever the file system says: each failure comes back as an error code
// and leaves what was there. Paths that fail for root too, which no permission stops.
TEST(PlacementFile, SaveFailureReportsAndLeavesWhatWasThere) {
    ScratchFolder scratch;
    const auto plain = scratch.path() / "plain";
    writeFile(plain, "not a folder");
    const auto folder = scratch.path() / "DllCrt";
    std::filesystem::create_directory(folder);

    EXPECT_TRUE(app::saveAboutPosition(plain / "DllCrt", 1, 2));
    EXPECT_EQ(readFile(plain), "not a folder");
    EXPECT_TRUE(app::saveAboutPosition(folder, 1, 2));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

// A file too large to read must not be replaced by one that holds only Left and Top: that
// would lose everything else the user kept in it.
TEST(PlacementFile, FileThatCannotBeReadIsNotOverwritten) {
    ScratchFolder scratch;
    const auto file = scratch.path() / "DllCrt";
    const std::string large =
        "[Other]\nkeep=1\n" + std::string(platform::kMaxProfileFileBytes, ';') + "\n";
    writeFile(file, large);
    EXPECT_EQ(app::saveAboutPosition(file, 1, 2), std::errc::file_too_large);
    EXPECT_EQ(readFile(file), large);
}

TEST(PlacementFile, ReadOnlyFolderReportsAndKeepsTheFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root; SaveFailureReportsAndLeavesWhatWasThere "
                        "covers it";
    }
    ScratchFolder scratch;
    const auto folder = scratch.path() / "locked";
    std::filesystem::create_directory(folder);
    writeFile(folder / "DllCrt", "[FrmAbout]\nLeft=1\nTop=2\n");
    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto error = app::saveAboutPosition(folder / "DllCrt", 100, 200);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_EQ(error, std::errc::permission_denied);
    EXPECT_EQ(readFile(folder / "DllCrt"), "[FrmAbout]\nLeft=1\nTop=2\n");
}

}  // namespace
}  // namespace veltrane
