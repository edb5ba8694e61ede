// The member split, end to end through a run: which product files an archive yields.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "case_name.h"
#include "engine/bit_reverse.h"
#include "engine/extraction_run.h"
#include "run_fixture.h"
#include "testdata/sig_writer.h"
#include "testdata/tar_writer.h"

namespace veltrane {
namespace {

using namespace std::string_literals;
using testing_support::filesUnder;
using testing_support::RecordingHost;
using testing_support::ScratchFolder;
using testing_support::writeFile;

const std::string kHeading = "\x01\r\r\n00042\r\r\nHTXA50 KWBC 111200\r\r\n";
const std::string kFaxHeading = kHeading + "DFAX1802\n";
const std::string kTrailer = "\r\r\n\x03";

std::string be(std::uint64_t value, int bytes) {
    std::string out;
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
    return out;
}

// A GRIB edition-1 or BUFR message: signature, 24-bit total length, body, "7777".
std::string message24(const std::string& signature, std::size_t body, char edition = 1) {
    const std::size_t length = 4 + 3 + 1 + body + 4;
    return signature + be(length, 3) + edition + std::string(body, 'm') + "7777";
}

std::string grib2(std::size_t body) {
    const std::size_t length = 16 + body + 4;
    return "GRIB\xff\xff\x00\x02"s + be(length, 8) + std::string(body, 'n') + "7777";
}

const std::string kGrib1 = message24("GRIB", 100);
const std::string kGrib2 = grib2(150);
const std::string kBufr = message24("BUFR", 80, 4);
const std::string kImag = "IMAG" + std::string(500, 'i');
const std::string kPng = "\x89PNG\r\n\x1a\n" + std::string(300, 'p');
const std::string kFax = "fax \x01\x02\x80\xff data";
const std::string kText = "METAR KWBC 111200Z 27010KT 9999 FEW030 12/05 Q1013=\r\r\n";

std::string reversed(std::string bytes) {
    reverseBitsInEachByte(std::as_writable_bytes(std::span(bytes.data(), bytes.size())));
    return bytes;
}

struct Member {
    std::string name;
    std::string data;
    std::optional<std::string> sizeField = std::nullopt;  // verbatim, for broken headers
};

const std::vector<Member> kEveryKind = {
    {"g1", kHeading + kGrib1 + kTrailer}, {"g2.grb2", kHeading + kGrib2 + kTrailer},
    {"b", kHeading + kBufr + kTrailer},   {"i", kHeading + kImag},
    {"p.png", kHeading + kPng},           {"f", kFaxHeading + reversed(kFax)},
    {"t", kHeading + kText + kTrailer},
};

using Files = std::map<std::string, std::string>;

struct SorterCase {
    const char* what;
    std::vector<Member> members;
    KindSelection kinds;
    Files products;  // expected, relative to the output folder, "TAR Files" left out
    std::size_t failures;
    std::size_t warnings;
    bool endBlocks = true;
};

void PrintTo(const SorterCase& c, std::ostream* out) {
    *out << c.what;
}

std::string archiveOf(const SorterCase& c) {
    testdata::TarWriter tar;
    for (const Member& member : c.members) {
        testdata::TarEntry entry(member.name);
        entry.sizeField = member.sizeField;
        tar.addMember(entry, member.data);
    }
    if (c.endBlocks) {
        tar.finish();
    }
    return tar.release();
}

class MemberSplit : public testing::TestWithParam<SorterCase> {
  protected:
    ScratchFolder scratch;
    RecordingHost host;
    std::filesystem::path out = scratch.path() / "out";

    RunReport runOverArchive(const std::string& archive, KindSelection kinds) {
        std::string sig;
        testdata::StringSink sink(sig);
        testdata::SigWriter writer(sink);
        testdata::writeArchive(writer, "tarfile.1.tar", archive,
                               testdata::ArchiveLayout::fixedChunks(777));
        host.sig = scratch.path() / "feed.sig";
        host.kinds = kinds;
        writeFile(host.sig, sig);
        ExtractionRun extraction(host, out);
        return extraction.RunExtraction();
    }

    Files products() {
        Files files = filesUnder(out);
        std::erase_if(files, [](const auto& file) { return file.first.starts_with("TAR Files"); });
        return files;
    }
};

TEST_P(MemberSplit, WritesTheExpectedProducts) {
    const SorterCase& c = GetParam();
    const RunReport report = runOverArchive(archiveOf(c), c.kinds);
    EXPECT_EQ(products(), c.products);
    EXPECT_EQ(report.failures.size(), c.failures);
    EXPECT_EQ(report.warnings.size(), c.warnings);
    // Counters count exactly the files on disk.
    std::int64_t counted = 0;
    for (const Counter counter : kAllCounters) {
        counted += counter == Counter::Tar ? 0 : report.counts[counter];
    }
    EXPECT_EQ(counted, static_cast<std::int64_t>(c.products.size()));
    // Nothing is ever written beside the output folder.
    for (const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
        EXPECT_TRUE(entry.path().filename() == "out" || entry.path().filename() == "feed.sig")
            << entry.path();
    }
}

const auto kAll = KindSelection::all();
const auto kDefaults = KindSelection::defaults();
const auto kAsciiOnly = KindSelection{}.set(ProductKind::Ascii);

INSTANTIATE_TEST_SUITE_P(
    Archives, MemberSplit,
    testing::Values(SorterCase{"every kind",
                               kEveryKind,
                               kAll,
                               {{"GRIB Files/g1.grb", kGrib1},
                                {"GRIB Files/g2.grb2", kGrib2},
                                {"BUFR Files/b.bfr", kBufr + kTrailer},
                                {"IMAG Files/i.img", kImag},
                                {"PNG Files/p.png", kPng},
                                {"FAX Files/f.fax", kFax},
                                {"ASCII Files/t", kHeading + kText + kTrailer}},
                               0,
                               0},
                    SorterCase{"the window's defaults leave text alone",
                               kEveryKind,
                               kDefaults,
                               {{"GRIB Files/g1.grb", kGrib1},
                                {"GRIB Files/g2.grb2", kGrib2},
                                {"BUFR Files/b.bfr", kBufr + kTrailer},
                                {"IMAG Files/i.img", kImag},
                                {"PNG Files/p.png", kPng},
                                {"FAX Files/f.fax", kFax}},
                               0,
                               0},
                    SorterCase{"ascii alone takes every member whole",
                               {{"g1", kHeading + kGrib1 + kTrailer}, {"t", kHeading + kText}},
                               kAsciiOnly,
                               {{"ASCII Files/g1", kHeading + kGrib1 + kTrailer},
                                {"ASCII Files/t", kHeading + kText}},
                               0,
                               0},
                    SorterCase{"folders in member names",
                               {{"dir/sub/x", kHeading + kGrib1},
                                {"a\\b", kHeading + kText},
                                {"./c//d", kHeading + kText}},
                               kAll,
                               {{"GRIB Files/dir/sub/x.grb", kGrib1},
                                {"ASCII Files/a/b", kHeading + kText},
                                {"ASCII Files/c/d", kHeading + kText}},
                               0,
                               0},
                    SorterCase{"unsafe names are refused, the sound one written",
                               {{"../../evil", kHeading + kGrib1},
                                {"ok/../../evil", kHeading + kText},
                                {"C:evil", kHeading + kText},
                                {"/abs/fine", kHeading + kText}},
                               kAll,
                               {{"ASCII Files/abs/fine", kHeading + kText}},
                               3,
                               0},
                    SorterCase{"a name that names no file is skipped",
                               {{"dir/", kHeading + kText}, {"t", kHeading + kText}},
                               kAll,
                               {{"ASCII Files/t", kHeading + kText}},
                               0,
                               1},
                    SorterCase{"size 0 gives an empty ascii file",
                               {{"empty", ""}, {"t", kHeading + kText}},
                               kAll,
                               {{"ASCII Files/empty", ""}, {"ASCII Files/t", kHeading + kText}},
                               0,
                               0},
                    SorterCase{"a malformed size ends the walk",
                               {{"t1", kHeading + kText},
                                {"junk", kHeading + kText, "0000000x12\0\0"s},
                                {"t2", kHeading + kText}},
                               kAll,
                               {{"ASCII Files/t1", kHeading + kText}},
                               1,
                               0},
                    SorterCase{"a base-256 size is read",
                               {{"big", kHeading + kText,
                                 testdata::base256SizeField(kHeading.size() + kText.size())}},
                               kAll,
                               {{"ASCII Files/big", kHeading + kText}},
                               0,
                               0},
                    SorterCase{"a message without 7777 is written and reported",
                               {{"g", kHeading + kGrib1.substr(0, kGrib1.size() - 4) + "6666"}},
                               kAll,
                               {{"GRIB Files/g.grb", kGrib1.substr(0, kGrib1.size() - 4) + "6666"}},
                               0,
                               1},
                    SorterCase{"an edition-2 message is cut to its 64-bit length",
                               {{"g2", kHeading + kGrib2 + std::string(64, 'z')}},
                               kAll,
                               {{"GRIB Files/g2.grb", kGrib2}},
                               0,
                               0},
                    SorterCase{"a NUL in the heading hides the signature",
                               {{"g", "\x01\r\r\n\0"s + kHeading.substr(5) + kGrib1}},
                               kDefaults,
                               {},
                               0,
                               0},
                    SorterCase{"zero blocks yield nothing", {}, kAll, {}, 0, 0}),
    testing_support::NameFromWhat{});

TEST_F(MemberSplit, ProductPastTheEndOfTheArchiveKeepsTheBytesThatExist) {
    testdata::TarWriter tar;
    tar.addFile("t", kHeading + kText);
    testdata::TarEntry entry("cut");
    tar.addTruncatedMember(entry, 5000, std::string(300, 'c'));
    const RunReport report = runOverArchive(tar.release(), kAll);
    EXPECT_EQ(products(), (Files{{"ASCII Files/t", kHeading + kText},
                                 {"ASCII Files/cut", std::string(300, 'c')}}));
    EXPECT_EQ(report.counts[Counter::Ascii], 2);
    ASSERT_EQ(report.warnings.size(), 1U);
    EXPECT_NE(report.warnings[0].path.find("cut"), std::string::npos);
}

TEST_F(MemberSplit, SwitchesAreReadAtEveryMember) {
    testdata::TarWriter tar;
    for (const char* name : {"g1", "g2", "g3"}) {
        tar.addFile(name, kHeading + kGrib1);
    }
    tar.finish();
    host.onFileWritten = [this](Counter kind, const std::filesystem::path&) {
        if (kind == Counter::Grib) {
            host.kinds.set(ProductKind::Grib, false);  // unticked during the run
        }
    };
    const RunReport report = runOverArchive(tar.release(), kDefaults);
    EXPECT_EQ(products(), (Files{{"GRIB Files/g1.grb", kGrib1}}));
    EXPECT_EQ(report.counts[Counter::Grib], 1);
}

TEST_F(MemberSplit, ProductThatCannotBeCreatedIsReportedAndNotCounted) {
    std::filesystem::create_directories(out / "GRIB Files");
    std::filesystem::create_directory(out / "GRIB Files" / "g1.grb");  // a folder in the way
    testdata::TarWriter tar;
    tar.addFile("g1", kHeading + kGrib1);
    tar.addFile("g2", kHeading + kGrib1);
    tar.finish();
    const RunReport report = runOverArchive(tar.release(), kDefaults);
    EXPECT_EQ(report.counts[Counter::Grib], 1);
    ASSERT_EQ(report.failures.size(), 1U);
    EXPECT_NE(report.failures[0].path.find("g1.grb"), std::string::npos);
    EXPECT_EQ(products(), (Files{{"GRIB Files/g2.grb", kGrib1}}));
}

}  // namespace
}  // namespace veltrane
