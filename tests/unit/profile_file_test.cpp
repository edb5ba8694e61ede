// INI documents: how keys are found, how one key is written without disturbing the rest of the
// file, and how the file is read and replaced on disk.

#include "platform/profile_file.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <optional>
#include <string>

#include "case_name.h"
#include "platform/file_io.h"
#include "platform/system_folder.h"
#include "run_fixture.h"

namespace veltrane {
namespace {

using platform::ProfileDocument;
using testing_support::NameFromWhat;
using testing_support::readFile;
using testing_support::ScratchFolder;
using testing_support::writeFile;

bool holdsTemporaryFile(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (platform::isOwnTemporaryName(entry.path().filename().string())) {
            return true;
        }
    }
    return false;
}

// ---- Finding a key ------------------------------------------------------------------------

struct LookupCase {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    std::optional<std::string> expected;
};

void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.what;
}

class ProfileLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(ProfileLookup, FindsTheValueTheFileGives) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(ProfileDocument::parse(c.text).value(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProfileLookup,
    testing::Values(
        LookupCase{"names in any case", "[frmabout]\nLEFT=5\n", "FrmAbout", "Left", "5"},
        LookupCase{"blanks round names and value", " \t[ FrmAbout ] \n  Left \t=  5 \t\n",
                   "FrmAbout", "Left", "5"},
        LookupCase{"first of duplicate keys", "[S]\nk=1\nk=2\n", "S", "k", "1"},
        LookupCase{"section named twice continues", "[S]\na=1\n[T]\nk=9\n[s]\nk=2\n", "S", "k",
                   "2"},
        LookupCase{"first section named twice wins", "[S]\nk=1\n[S]\nk=2\n", "S", "k", "1"},
        LookupCase{"comments skipped", "[S]\n;k=1\n#k=2\n  ; k=3\nk=4\n", "S", "k", "4"},
        LookupCase{"commented out only", "[S]\n;k=1\n", "S", "k", std::nullopt},
        LookupCase{"key before any section", "k=1\n[S]\n", "S", "k", std::nullopt},
        LookupCase{"key of another section", "[S]\n[T]\nk=1\n", "S", "k", std::nullopt},
        LookupCase{"missing section", "[T]\nk=1\n", "S", "k", std::nullopt},
        LookupCase{"garbage line ignored", "[S]\njunk line\n=orphan\nk=1\n", "S", "k", "1"},
        LookupCase{"unclosed header is no header", "[S]\n[T\nk=1\n", "S", "k", "1"},
        LookupCase{"text after header ignored", "[S] ; note\nk=1\n", "S", "k", "1"},
        LookupCase{"CRLF endings", "[S]\r\nk=1\r\n", "S", "k", "1"},
        LookupCase{"stray carriage return", "[S]\r\r\nk=1\r\r\n", "S", "k", "1"},
        LookupCase{"no ending on last line", "[S]\nk=1", "S", "k", "1"},
        LookupCase{"empty value", "[S]\nk=\n", "S", "k", ""},
        LookupCase{"value holds equals sign", "[S]\nk=a=b\n", "S", "k", "a=b"},
        LookupCase{"quoted value", "[S]\nk=\" 5 \"\n", "S", "k", " 5 "},
        LookupCase{"byte order mark", "\xEF\xBB\xBF[S]\nk=1\n", "S", "k", "1"},
        LookupCase{"key with inner blank", "[S]\nmy key = 1\n", "S", "My Key", "1"},
        LookupCase{"empty document", "", "S", "k", std::nullopt}),
    NameFromWhat{});

// ---- Writing a key ------------------------------------------------------------------------

struct EditCase {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;  // the whole document, byte for byte
};

void PrintTo(const EditCase& c, std::ostream* out) {
    *out << c.what;
}

class ProfileEdit : public testing::TestWithParam<EditCase> {};

TEST_P(ProfileEdit, ChangesOnlyTheKeyWritten) {
    const EditCase& c = GetParam();
    auto document = ProfileDocument::parse(c.before);
    ASSERT_TRUE(document.setValue(c.section, c.key, c.value));
    EXPECT_EQ(document.text(), c.after);
    EXPECT_EQ(document.value(c.section, c.key), c.value);
    // Writing it again is a no-op: the key is found where it was put.
    ASSERT_TRUE(document.setValue(c.section, c.key, c.value));
    EXPECT_EQ(document.text(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProfileEdit,
    testing::Values(
        EditCase{"replaced in place keeping spelling and blanks",
                 "; head\n[frmabout]\n  left =  1  \nMaximized=1\n\n[Other]\nLeft=7\n", "FrmAbout",
                 "Left", "400",
                 "; head\n[frmabout]\n  left =  400\nMaximized=1\n\n[Other]\nLeft=7\n"},
        EditCase{"first duplicate replaced, second kept", "[S]\nk=1\nk=2\n", "S", "k", "9",
                 "[S]\nk=9\nk=2\n"},
        EditCase{"found in the section named again", "[S]\na=1\n[T]\n[S]\nk=2\n", "S", "k", "9",
                 "[S]\na=1\n[T]\n[S]\nk=9\n"},
        EditCase{"added after the section's last key", "[S]\na=1\n; about T\n\n[T]\nb=2\n", "S",
                 "k", "9", "[S]\na=1\nk=9\n; about T\n\n[T]\nb=2\n"},
        EditCase{"added under a header with no keys", "[S]\n\n[T]\n", "S", "k", "9",
                 "[S]\nk=9\n\n[T]\n"},
        EditCase{"added to the first of a section named twice", "[S]\na=1\n[T]\n[S]\nb=2\n", "S",
                 "k", "9", "[S]\na=1\nk=9\n[T]\n[S]\nb=2\n"},
        EditCase{"section added at the end", "; only a comment\nk=0\n[T]\nx=1", "S", "k", "9",
                 "; only a comment\nk=0\n[T]\nx=1\n[S]\nk=9\n"},
        EditCase{"empty document", "", "S", "k", "9", "[S]\nk=9\n"},
        EditCase{"garbage and comments kept", "[S]\njunk\n# note\n  k  = 1 ; not a comment\n", "S",
                 "k", "2", "[S]\njunk\n# note\n  k  = 2\n"},
        EditCase{"CRLF kept and used for new lines", "[T]\r\nx=1\r\n", "S", "k", "9",
                 "[T]\r\nx=1\r\n[S]\r\nk=9\r\n"},
        EditCase{"byte order mark kept", "\xEF\xBB\xBF[S]\nk=1\n", "S", "k", "2",
                 "\xEF\xBB\xBF[S]\nk=2\n"},
        EditCase{"key with empty value replaced", "[S]\nk=\nz=1\n", "S", "k", "5",
                 "[S]\nk=5\nz=1\n"}),
    NameFromWhat{});

TEST(ProfileText, WritesBackWhatItReadByteForByte) {
    const std::string lf = "; c\n\n[S]\n  k = v  \njunk\n[T\n\t#x\n";
    const std::string crlf = "[S]\r\nk=v\r\n\r\n; c\r\n";
    const std::string mixed = "[S]\r\nk=v\nz=1\r\n";
    EXPECT_EQ(ProfileDocument::parse(lf).text(), lf);
    EXPECT_EQ(ProfileDocument::parse(crlf).text(), crlf);
    EXPECT_EQ(ProfileDocument::parse(mixed).text(), mixed);
    // A last line without an ending gets the document's.
    EXPECT_EQ(ProfileDocument::parse("[S]\r\nk=v").text(), "[S]\r\nk=v\r\n");
}

struct RefusedEdit {
    const char* what;
    std::string section;
    std::string key;
    std::string value;
};

void PrintTo(const RefusedEdit& c, std::ostream* out) {
    *out << c.what;
}

class ProfileRefusedEdit : public testing::TestWithParam<RefusedEdit> {};

// Each of these would write a line that reads back as something else, or add lines of its own.
TEST_P(ProfileRefusedEdit, LeavesTheDocumentAlone) {
    const RefusedEdit& c = GetParam();
    const std::string before = "[S]\nk=1\n";
    auto document = ProfileDocument::parse(before);
    EXPECT_FALSE(document.setValue(c.section, c.key, c.value));
    EXPECT_EQ(document.text(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProfileRefusedEdit,
    testing::Values(RefusedEdit{"line break in value", "S", "k", "1\n[Evil]\nx=2"},
                    RefusedEdit{"carriage return in value", "S", "k", "1\r"},
                    RefusedEdit{"NUL in value", "S", "k", std::string("1\0", 2)},
                    RefusedEdit{"line break in key", "S", "a\nb", "1"},
                    RefusedEdit{"equals in key", "S", "a=b", "1"},
                    RefusedEdit{"key like a comment", "S", ";k", "1"},
                    RefusedEdit{"key like a header", "S", "[k", "1"},
                    RefusedEdit{"bracket in section", "S]x", "k", "1"},
                    RefusedEdit{"blank key", "S", "  ", "1"},
                    RefusedEdit{"empty section", "", "k", "1"}),
    NameFromWhat{});

// ---- Integers -----------------------------------------------------------------------------

struct IntCase {
    const char* what;
    const char* text;
    std::optional<int> expected;
};

void PrintTo(const IntCase& c, std::ostream* out) {
    *out << c.what;
}

class ProfileInt : public testing::TestWithParam<IntCase> {};

TEST_P(ProfileInt, ReadsDecimalIntegersOnly) {
    EXPECT_EQ(platform::parseProfileInt(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProfileInt,
    testing::Values(
        IntCase{"plain", "382", 382}, IntCase{"negative", "-40", -40},
        IntCase{"plus sign", "+7", 7}, IntCase{"blanks round it", " \t12 ", 12},
        IntCase{"zero", "0", 0}, IntCase{"leading zeros", "007", 7},
        IntCase{"largest", "2147483647", INT_MAX}, IntCase{"smallest", "-2147483648", INT_MIN},
        IntCase{"just above int", "2147483648", std::nullopt},
        IntCase{"just below int", "-2147483649", std::nullopt}, IntCase{"empty", "", std::nullopt},
        IntCase{"blank", "  ", std::nullopt}, IntCase{"trailing letters", "12abc", std::nullopt},
        IntCase{"inner blank", "1 2", std::nullopt}, IntCase{"sign alone", "-", std::nullopt},
        IntCase{"two signs", "+-5", std::nullopt}, IntCase{"hexadecimal", "0x10", std::nullopt},
        IntCase{"fraction", "1.5", std::nullopt}),
    NameFromWhat{});

// ---- Reading and writing files ------------------------------------------------------------

TEST(ProfileFileRead, MissingFileIsAnEmptyDocument) {
    ScratchFolder scratch;
    ProfileDocument document = ProfileDocument::parse("[S]\nk=1\n");
    EXPECT_FALSE(platform::readProfileFile(scratch.path() / "DllCrt", document));
    EXPECT_TRUE(document.empty());
}

TEST(ProfileFileRead, ReadsTheFileAsItIs) {
    ScratchFolder scratch;
    const std::string text = "[S]\r\nk=1\r\n; kept\r\n";
    writeFile(scratch.path() / "DllCrt", text);
    ProfileDocument document;
    EXPECT_FALSE(platform::readProfileFile(scratch.path() / "DllCrt", document));
    EXPECT_EQ(document.text(), text);
    EXPECT_EQ(document.value("S", "k"), "1");
}

TEST(ProfileFileRead, RefusesWhatIsNoSettingsFile) {
    ScratchFolder scratch;
    const auto folder = scratch.path() / "a folder";
    std::filesystem::create_directory(folder);
    const auto large = scratch.path() / "large";
    writeFile(large, "[S]\nk=1\n" + std::string(platform::kMaxProfileFileBytes, ';'));
    // Opening a pipe for reading would wait for a writer that never comes.
    const auto pipe = scratch.path() / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);

    for (const auto& path : {folder, large, pipe}) {
        SCOPED_TRACE(path.filename().string());
        ProfileDocument document = ProfileDocument::parse("[S]\nk=1\n");
        EXPECT_TRUE(platform::readProfileFile(path, document));
        EXPECT_TRUE(document.empty());
    }
}

TEST(ProfileFileRead, UnreadableFileIsAnError) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    ScratchFolder scratch;
    const auto file = scratch.path() / "DllCrt";
    writeFile(file, "[S]\nk=1\n");
    std::filesystem::permissions(file, std::filesystem::perms::none);
    ProfileDocument document;
    EXPECT_TRUE(platform::readProfileFile(file, document));
    EXPECT_TRUE(document.empty());
}

TEST(ProfileFileWrite, WritesTheDocumentAndMakesTheFolder) {
    ScratchFolder scratch;
    const auto file = scratch.path() / "config" / "nested" / "DllCrt";
    const auto document = ProfileDocument::parse("; c\r\n[S]\r\nk=1\r\n");
    ASSERT_FALSE(platform::writeProfileFile(file, document));
    EXPECT_EQ(readFile(file), document.text());
    EXPECT_FALSE(holdsTemporaryFile(file.parent_path()));

    // Replacing an existing file.
    const auto second = ProfileDocument::parse("[T]\nx=2\n");
    ASSERT_FALSE(platform::writeProfileFile(file, second));
    EXPECT_EQ(readFile(file), "[T]\nx=2\n");
    EXPECT_FALSE(holdsTemporaryFile(file.parent_path()));
}

// Where writing cannot succeed, whatever stood there before is untouched and no temporary
// file is left beside it. These hold for root too, which no permission stops.
TEST(ProfileFileWrite, FailureLeavesWhatWasThere) {
    ScratchFolder scratch;
    const auto document = ProfileDocument::parse("[S]\nk=2\n");

    const auto folder = scratch.path() / "DllCrt";  // a folder where the file should be
    std::filesystem::create_directory(folder);
    writeFile(folder / "inside", "kept");
    EXPECT_TRUE(platform::writeProfileFile(folder, document));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(readFile(folder / "inside"), "kept");

    const auto plain = scratch.path() / "plain";  // a file where the folder should be
    writeFile(plain, "[S]\nk=1\n");
    EXPECT_TRUE(platform::writeProfileFile(plain / "DllCrt", document));
    EXPECT_TRUE(platform::writeProfileFile(plain / "sub" / "DllCrt", document));
    EXPECT_EQ(readFile(plain), "[S]\nk=1\n");

    EXPECT_FALSE(holdsTemporaryFile(scratch.path()));
}

TEST(ProfileFileWrite, ReadOnlyFolderLeavesTheFileAsItWas) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root; FailureLeavesWhatWasThere covers it";
    }
    ScratchFolder scratch;
    const auto folder = scratch.path() / "locked";
    std::filesystem::create_directory(folder);
    writeFile(folder / "DllCrt", "[S]\nk=1\n");
    std::filesystem::permissions(
        folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const auto error =
        platform::writeProfileFile(folder / "DllCrt", ProfileDocument::parse("[S]\nk=2\n"));
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_EQ(error, std::errc::permission_denied);
    EXPECT_EQ(readFile(folder / "DllCrt"), "[S]\nk=1\n");
    EXPECT_FALSE(holdsTemporaryFile(folder));
}

// ---- The settings folder ------------------------------------------------------------------

// Sets the environment for one test and puts it back afterwards.
class SystemFolder : public testing::Test {
  protected:
    void SetUp() override {
        for (auto& saved : saved_) {
            if (const char* value = ::getenv(saved.name)) {
                saved.value = value;
            }
        }
    }
    void TearDown() override {
        for (const auto& saved : saved_) {
            set(saved.name, saved.value);
        }
    }
    static void set(const char* name, const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

  private:
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    Saved saved_[2] = {{"XDG_CONFIG_HOME", {}}, {"HOME", {}}};
};

TEST_F(SystemFolder, FollowsXdgConfigHomeThenHome) {
    struct Row {
        const char* what;
        std::optional<std::string> xdg;
        std::optional<std::string> home;
        std::filesystem::path expected;
    };
    const Row rows[] = {
        {"XDG_CONFIG_HOME absolute", "/srv/cfg", "/home/ann", "/srv/cfg"},
        {"XDG_CONFIG_HOME unset", std::nullopt, "/home/ann", "/home/ann/.config"},
        {"XDG_CONFIG_HOME empty", "", "/home/ann", "/home/ann/.config"},
        // The program changes its current folder: a relative setting would move the file.
        {"XDG_CONFIG_HOME relative", "cfg", "/home/ann", "/home/ann/.config"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        set("XDG_CONFIG_HOME", row.xdg);
        set("HOME", row.home);
        EXPECT_EQ(platform::systemSettingsFolder(), row.expected);
        EXPECT_EQ(platform::placementFilePath(), row.expected / "DllCrt");
    }
}

TEST_F(SystemFolder, WithoutHomeUsesTheAccountsHomeFolder) {
    set("XDG_CONFIG_HOME", std::nullopt);
    const passwd* account = ::getpwuid(::getuid());
    const bool hasHome = account != nullptr && account->pw_dir != nullptr &&
                         std::filesystem::path(account->pw_dir).is_absolute();
    for (const std::optional<std::string>& home :
         {std::optional<std::string>(), std::optional<std::string>("relative/home")}) {
        set("HOME", home);
        const auto folder = platform::systemSettingsFolder();
        EXPECT_TRUE(folder.is_absolute()) << folder;
        if (hasHome) {
            EXPECT_EQ(folder, std::filesystem::path(account->pw_dir) / ".config");
        }
    }
}

}  // namespace
}  // namespace veltrane
