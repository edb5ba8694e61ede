// Archives built to hurt: member names that try to leave their folder or name nothing, size
// fields and message lengths that lie, and bytes with no structure at all. Whatever the archive
// holds, nothing is written beside the output folder, nothing is left half written, and every
// counted product is on disk.

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "case_name.h"
#include "engine/extraction_run.h"
#include "fault_fixture.h"
#include "run_fixture.h"
#include "testdata/prng.h"
#include "testdata/tar_writer.h"

namespace veltrane {
namespace {

using namespace std::string_literals;
using Files = std::map<std::string, std::string>;

const std::string kGrib = testing_support::gribMessage(60);
const std::string kGribMember = testing_support::heading() + kGrib;
const std::string kText = testing_support::textMember(40);

class HostileArchive : public testing_support::FaultTest<> {
  protected:
    std::filesystem::path archive = scratch.path() / "archive.tar";

    // Splits the archive as a run does once its end record has come.
    RunReport split(const std::string& bytes) {
        testing_support::writeFile(archive, bytes);
        ExtractionRun run(host, out);
        run.SplitTarFile(archive);
        RunReport report = run.state().report;
        report.counts = run.state().counters;
        return report;
    }

    void expectNothingAstray(const RunReport& report) {
        for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
            EXPECT_TRUE(entry.path() == out || entry.path() == archive) << entry.path();
        }
        expectNoPartFile();
        EXPECT_EQ(testing_support::productsCounted(report.counts),
                  static_cast<std::int64_t>(testing_support::productsUnder(out).size()));
    }
};

struct NameCase {
    const char* what;
    std::string name;
    std::string data;
    Files products;  // expected, relative to the output folder
    std::size_t failures;
    std::size_t warnings;
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << c.what;
}

class MemberName : public HostileArchive, public testing::WithParamInterface<NameCase> {};

TEST_P(MemberName, StaysInsideItsKindFolderOrIsRefused) {
    const NameCase& c = GetParam();
    // A sound member behind it shows that the walk goes on.
    const RunReport report = split(testing_support::archiveOf({{c.name, c.data}, {"ok", kText}}));
    Files expected = c.products;
    expected.emplace("ASCII Files/ok", kText);
    EXPECT_EQ(testing_support::productsUnder(out), expected);
    EXPECT_EQ(report.failures.size(), c.failures);
    EXPECT_EQ(report.warnings.size(), c.warnings);
    expectNothingAstray(report);
}

const std::string kLongName(100, 'n');

INSTANTIATE_TEST_SUITE_P(
    Names, MemberName,
    testing::Values(
        NameCase{"parent", "../up", kGribMember, {}, 1, 0},
        NameCase{"parent with backslashes", "..\\..\\up", kText, {}, 1, 0},
        NameCase{"parent after folders", "a/b/../../../up", kText, {}, 1, 0},
        NameCase{"drive with backslash", "C:\\Windows\\up", kText, {}, 1, 0},
        NameCase{"drive relative", "d:up", kGribMember, {}, 1, 0},
        NameCase{"absolute", "/etc/up", kGribMember, {{"GRIB Files/etc/up.grb", kGrib}}, 0, 0},
        NameCase{"network share",
                 "\\\\host\\share\\up",
                 kText,
                 {{"ASCII Files/host/share/up", kText}},
                 0,
                 0},
        NameCase{"100 bytes without a NUL",
                 kLongName,
                 kGribMember,
                 {{"GRIB Files/" + kLongName + ".grb", kGrib}},
                 0,
                 0},
        NameCase{"control bytes",
                 "bell\x07\x1b[31m\x7f",
                 kText,
                 {{"ASCII Files/bell\x07\x1b[31m\x7f", kText}},
                 0,
                 0},
        // A suffix used to be added to a name that names no file, writing "GRIB Files/dir/.grb".
        NameCase{"a folder with a suffix kind", "dir/", kGribMember, {}, 0, 1},
        NameCase{"empty with a suffix kind", "", kGribMember, {}, 0, 1},
        NameCase{"a dot with a suffix kind", "./.", kGribMember, {}, 0, 1}),
    testing_support::NameFromWhat{});

// A member may carry the very name this process gives a file while it is being written. It is a
// product like any other: written, counted, and in the way of no temporary file after it.
TEST_F(HostileArchive, MemberNamedLikeOurTemporaryFileIsAProduct) {
    const std::string prefix = ".veltrane-" + std::to_string(::getpid()) + "-";
    std::vector<std::pair<std::string, std::string>> members;
    Files expected;
    for (int sequence = 0; sequence < 64; ++sequence) {
        const std::string name = prefix + std::to_string(sequence) + ".part";
        members.emplace_back(name, kText);
        expected.emplace("ASCII Files/" + name, kText);
    }
    members.emplace_back("ok", kText);
    expected.emplace("ASCII Files/ok", kText);

    const RunReport report = split(testing_support::archiveOf(members));
    EXPECT_EQ(testing_support::productsUnder(out), expected);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(testing_support::productsCounted(report.counts), 65);
}

// Twelve octal digits fill the field with no NUL or space behind them, as some writers do.
TEST_F(HostileArchive, TwelveDigitSizeIsRead) {
    testdata::TarWriter tar;
    testdata::TarEntry entry("m");
    entry.sizeField = "000000000144";
    const std::string data = testing_support::textMember(63);  // 100 bytes, octal 144
    tar.addMember(entry, data);
    tar.addFile("after", kText);
    tar.finish();
    const RunReport report = split(tar.release());
    EXPECT_EQ(testing_support::productsUnder(out),
              (Files{{"ASCII Files/m", data}, {"ASCII Files/after", kText}}));
    EXPECT_TRUE(report.failures.empty());
    expectNothingAstray(report);
}

// A member that claims a terabyte: what the archive holds behind its header is written and
// reported, and the walk ends there.
TEST_F(HostileArchive, SizeFarPastTheEndWritesTheRestOfTheArchive) {
    testdata::TarWriter tar;
    testdata::TarEntry entry("m");
    entry.sizeField = testdata::base256SizeField(1ULL << 40);
    tar.addMember(entry, kText);
    tar.addFile("after", kText);
    tar.finish();
    const std::string bytes = tar.release();
    const RunReport report = split(bytes);
    EXPECT_EQ(testing_support::productsUnder(out), (Files{{"ASCII Files/m", bytes.substr(512)}}));
    EXPECT_EQ(report.warnings.size(), 1U);
    EXPECT_TRUE(report.failures.empty());
    expectNothingAstray(report);
}

struct LengthCase {
    const char* what;
    std::string member;
    std::string product;  // the bytes that exist, written cut short
};

void PrintTo(const LengthCase& c, std::ostream* out) {
    *out << c.what;
}

class MessageLength : public HostileArchive, public testing::WithParamInterface<LengthCase> {};

// The message's own length runs past the end of the archive: the bytes that exist are written,
// counted and reported, and nothing is read past the end.
TEST_P(MessageLength, PastTheArchiveEndWritesWhatExists) {
    const LengthCase& c = GetParam();
    testdata::TarWriter tar;
    tar.addFile("m", c.member);  // no end blocks: the member's padding ends the archive
    const RunReport report = split(tar.release());
    const std::string padding((512 - c.member.size() % 512) % 512, '\0');
    EXPECT_EQ(testing_support::productsUnder(out),
              (Files{{"GRIB Files/m.grb", c.product + padding}}));
    ASSERT_EQ(report.warnings.size(), 1U);
    EXPECT_NE(report.warnings[0].reason.find("past the end"), std::string::npos);
    expectNothingAstray(report);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, MessageLength,
    testing::Values(LengthCase{"edition 1, 16 MiB",
                               testing_support::heading() + "GRIB\xff\xff\xff\x01" + "body",
                               "GRIB\xff\xff\xff\x01"s + "body"},
                    LengthCase{"edition 2, the largest 64-bit length",
                               testing_support::heading() + "GRIB\0\0\0\x02"s +
                                   "\x7f\xff\xff\xff\xff\xff\xff\xff" + "body",
                               "GRIB\0\0\0\x02"s + "\x7f\xff\xff\xff\xff\xff\xff\xff" + "body"},
                    LengthCase{"edition 2, a length with the top bit set",
                               testing_support::heading() + "GRIB\0\0\0\x02"s +
                                   std::string(8, '\xff') + "body",
                               "GRIB\0\0\0\x02"s + std::string(8, '\xff') + "body"}),
    testing_support::NameFromWhat{});

TEST_F(HostileArchive, RandomBytesHarmNothing) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
        testdata::Prng rng(seed);
        std::string bytes(512 * (1 + rng.below(16)), '\0');
        rng.fill(bytes.data(), bytes.size());
        std::filesystem::remove_all(out);
        const RunReport report = split(bytes);
        expectNothingAstray(report);
    }
}

}  // namespace
}  // namespace veltrane
