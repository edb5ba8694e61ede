// How archive and product bytes move: payloads are written from the record reader's window
// without a copy, and products that fit the copy buffer go through memory, where their end
// check is made.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_name.h"
#include "engine/extraction_run.h"
#include "platform/file_io.h"
#include "run_fixture.h"
#include "testdata/prng.h"
#include "testdata/sig_writer.h"
#include "testdata/tar_writer.h"

namespace veltrane {
namespace {

using testing_support::readFile;
using testing_support::RecordingHost;
using testing_support::ScratchFolder;
using testing_support::writeFile;

std::string noise(std::size_t size, std::uint64_t seed) {
    testdata::Prng rng(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(rng.next() & 0xFF);
    }
    return bytes;
}

std::span<const std::byte> bytesOf(const std::string& text) {
    return std::as_bytes(std::span(text.data(), text.size()));
}

struct GatherCase {
    const char* what;
    std::size_t capacity;
    std::vector<std::size_t> pieces;  // sizes of the appends, in order
};

void PrintTo(const GatherCase& c, std::ostream* out) {
    *out << c.what;
}

class Gather : public testing::TestWithParam<GatherCase> {};

// Each piece is appended from memory that is overwritten once the output has been flushed: the
// file must hold what the pieces held when they were appended.
TEST_P(Gather, WritesEveryPieceInOrder) {
    const GatherCase& c = GetParam();
    ScratchFolder scratch;
    const auto path = scratch.path() / "out.bin";
    platform::BufferedOutput output(c.capacity);
    ASSERT_FALSE(output.create(path));

    std::vector<std::string> pieces;
    std::string expected;
    for (std::size_t i = 0; i < c.pieces.size(); ++i) {
        pieces.push_back(noise(c.pieces[i], i));
        expected += pieces.back();
    }
    for (const std::string& piece : pieces) {
        output.appendInPlace(bytesOf(piece));
    }
    output.flush();
    for (std::string& piece : pieces) {
        piece.assign(piece.size(), 'X');
    }
    EXPECT_EQ(output.bytesAppended(), static_cast<std::int64_t>(expected.size()));
    ASSERT_FALSE(output.commit());
    EXPECT_EQ(readFile(path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, Gather,
    testing::Values(GatherCase{"more pieces than one write takes", 1 << 20,
                               std::vector<std::size_t>(2500, 7)},
                    GatherCase{"pieces that pass the capacity", 64, {50, 50, 50, 1, 63}},
                    GatherCase{"one piece larger than the capacity", 16, {3, 1000, 5}},
                    GatherCase{"empty pieces among the rest", 32, {0, 10, 0, 0, 30}}),
    testing_support::NameFromWhat{});

// An archive far larger than the reader's window, in records of every size, so that window
// refills fall inside records and between queued payloads: it must come out byte for byte.
TEST(ArchiveAcrossWindows, IsReassembledExactly) {
    ScratchFolder scratch;
    testdata::TarWriter tar;
    tar.addFile("first.bin", noise(kSigReadWindow + 12345, 1));
    tar.addFile("second.bin", noise(2 * kSigReadWindow + 777, 2));
    tar.finish();
    const std::string archive = tar.release();

    std::string sig;
    testdata::StringSink sink(sig);
    testdata::SigWriter writer(sink);
    const std::vector<std::size_t> sizes{1, 517, 65502, 4096, 33000, 64, 65000, 1500};
    std::size_t next = 0;
    testdata::writeArchive(
        writer, "tarfile.big.tar", archive,
        testdata::ArchiveLayout{[&] { return sizes[next++ % sizes.size()]; }, {}});

    RecordingHost host;
    host.sig = scratch.path() / "feed.sig";
    host.kinds = KindSelection{};
    writeFile(host.sig, sig);
    ExtractionRun run(host, scratch.path() / "out");
    const RunReport report = run.RunExtraction();
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(report.counts[Counter::Tar], 1);
    EXPECT_TRUE(readFile(scratch.path() / "out" / "TAR Files" / "tarfile.big.tar") == archive);
}

std::string be24(std::size_t value) {
    return {static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 8) & 0xFF),
            static_cast<char>(value & 0xFF)};
}

// A message of `length` bytes in all: signature, 24-bit length, edition, body, then `end`.
std::string message(const std::string& signature, std::size_t length, const std::string& end) {
    return signature + be24(length) + '\x01' + std::string(length - 8 - end.size(), 'm') + end;
}

const std::string kHeading = "\x01\r\r\n00042\r\r\nHTXA50 KWBC 111200\r\r\n";

struct EndCase {
    const char* what;
    std::string member;  // data behind the heading
    std::string product;
    std::size_t warnings;
};

void PrintTo(const EndCase& c, std::ostream* out) {
    *out << c.what;
}

class MessageEnd : public testing::TestWithParam<EndCase> {};

TEST_P(MessageEnd, IsCheckedWhereverTheProductWasCopied) {
    const EndCase& c = GetParam();
    ScratchFolder scratch;
    testdata::TarWriter tar;
    tar.addFile("m", kHeading + c.member);
    tar.finish();
    writeFile(scratch.path() / "m.tar", tar.release());

    RecordingHost host;
    ExtractionRun run(host, scratch.path() / "out");
    run.SplitTarFile(scratch.path() / "m.tar");
    const RunReport& report = run.state().report;
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(report.warnings.size(), c.warnings);
    const bool grib = c.member.starts_with("GRIB");
    const auto product = scratch.path() / "out" / (grib ? "GRIB Files/m.grb" : "BUFR Files/m.bfr");
    EXPECT_TRUE(readFile(product) == c.product);
}

const std::size_t kLarge = kCopyChunk + 5000;  // copied by the kernel, in two chunks
const std::string kGribLarge = message("GRIB", kLarge, "7777");
const std::string kGribLargeDamaged = message("GRIB", kLarge, "6666");
const std::string kGribSmall = message("GRIB", 300, "7777");
const std::string kGribSmallDamaged = message("GRIB", 300, "777");
// A BUFR product carries 4 bytes past its declared length; "7777" stands in front of them.
const std::string kBufr = message("BUFR", 200, "7777") + "\r\r\n\x03";
const std::string kBufrDamaged = message("BUFR", 200, "77x7") + "\r\r\n\x03";

INSTANTIATE_TEST_SUITE_P(
    Sizes, MessageEnd,
    testing::Values(EndCase{"large grib whole", kGribLarge, kGribLarge, 0},
                    EndCase{"large grib damaged", kGribLargeDamaged, kGribLargeDamaged, 1},
                    EndCase{"small grib whole", kGribSmall + "tail", kGribSmall, 0},
                    EndCase{"small grib damaged", kGribSmallDamaged + "tail", kGribSmallDamaged, 1},
                    EndCase{"bufr whole", kBufr, kBufr, 0},
                    EndCase{"bufr damaged", kBufrDamaged, kBufrDamaged, 1},
                    EndCase{"grib shorter than its end mark", "GRIB" + be24(3) + '\x01', "GRI", 1}),
    testing_support::NameFromWhat{});

}  // namespace
}  // namespace veltrane
