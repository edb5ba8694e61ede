// The record walk, end to end through a run: which bytes of a SIG file end up in which archive.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stop_token>
#include <string>

#include "case_name.h"
#include "engine/extraction_run.h"
#include "run_fixture.h"
#include "testdata/sig_writer.h"
#include "testdata/tar_writer.h"

namespace veltrane {
namespace {

using testdata::SigWriter;
using testing_support::filesUnder;
using testing_support::readFile;
using testing_support::RecordingHost;
using testing_support::ScratchFolder;
using testing_support::writeFile;

const std::string kMarker = "BEGIN\r\nFILE_NAME      tarfile";

std::string tarOf(std::string_view member, std::string_view data) {
    testdata::TarWriter tar;
    tar.addFile(member, data);
    tar.finish();
    return tar.release();
}

const std::string kArchiveA = tarOf("a.txt", "alpha");
const std::string kArchiveB = tarOf("b.txt", std::string(3000, 'b'));

// A record body: the 30 header bytes that follow L, which nobody interprets.
std::string recordHeader() {
    return std::string(30, 'h');
}

struct ReaderCase {
    const char* what;
    std::function<void(SigWriter&, std::string&)> build;
    std::map<std::string, std::string> archives;  // expected content of "TAR Files"
    std::int64_t tarCount;
    std::size_t warnings;
};

void PrintTo(const ReaderCase& c, std::ostream* out) {
    *out << c.what;
}

class RecordWalk : public testing::TestWithParam<ReaderCase> {
  protected:
    ScratchFolder scratch;
    RecordingHost host;

    RunReport run(const ReaderCase& c) {
        std::string sig;
        testdata::StringSink sink(sig);
        SigWriter writer(sink);
        c.build(writer, sig);
        host.sig = scratch.path() / "feed.sig";
        host.kinds = KindSelection{};  // the archives alone
        writeFile(host.sig, sig);
        ExtractionRun extraction(host, scratch.path() / "out");
        return extraction.RunExtraction();
    }
};

TEST_P(RecordWalk, WritesEachArchiveFromItsDataRecords) {
    const ReaderCase& c = GetParam();
    const RunReport report = run(c);
    EXPECT_EQ(filesUnder(scratch.path() / "out" / "TAR Files"), c.archives);
    EXPECT_EQ(report.counts[Counter::Tar], c.tarCount);
    EXPECT_EQ(report.warnings.size(), c.warnings);
    EXPECT_TRUE(report.failures.empty()) << report.failures.front().reason;
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, RecordWalk,
    testing::Values(
        ReaderCase{"one archive over three records",
                   [](SigWriter& w, std::string&) {
                       w.headerRecord("tarfile.1.tar");
                       w.dataRecord(std::string_view(kArchiveA).substr(0, 100));
                       w.dataRecord(std::string_view(kArchiveA).substr(100, 1400));
                       w.dataRecord(std::string_view(kArchiveA).substr(1500));
                       w.endRecord("tarfile.1.tar");
                   },
                   {{"tarfile.1.tar", kArchiveA}},
                   1,
                   0},
        ReaderCase{"header off the start between noise",
                   [](SigWriter& w, std::string&) {
                       w.noiseRecord();
                       w.record("junk\r\n" + kMarker + ".2.tar\r\nFILE_SIZE 2048\r\n");
                       w.dataRecord(kArchiveA);
                       w.endRecord("tarfile.2.tar");
                       w.noiseRecord();
                   },
                   {{"tarfile.2.tar", kArchiveA}},
                   1,
                   0},
        ReaderCase{"skip records are not written",
                   [](SigWriter& w, std::string&) {
                       w.headerRecord("tarfile.3.tar");
                       w.dataRecord(std::string_view(kArchiveB).substr(0, 1000));
                       w.skipRecord();
                       w.dataRecord(std::string_view(kArchiveB).substr(1000));
                       w.skipRecord();
                       w.endRecord("tarfile.3.tar");
                   },
                   {{"tarfile.3.tar", kArchiveB}},
                   1,
                   0},
        ReaderCase{"records of L 0 to 33 append nothing",
                   [](SigWriter& w, std::string&) {
                       w.headerRecord("tarfile.4.tar");
                       w.rawRecord(0, "");
                       w.dataRecord(std::string_view(kArchiveA).substr(0, 700));
                       w.rawRecord(1, "x");
                       w.rawRecord(32, std::string(32, 'y'));
                       w.rawRecord(33, std::string(33, 'z'));
                       w.dataRecord(std::string_view(kArchiveA).substr(700));
                       w.endRecord("tarfile.4.tar");
                   },
                   {{"tarfile.4.tar", kArchiveA}},
                   1,
                   0},
        ReaderCase{"an empty first data record still makes the file",
                   [](SigWriter& w, std::string&) {
                       w.headerRecord("tarfile.5.tar");
                       w.rawRecord(33, std::string(33, 'z'));
                       w.endRecord("tarfile.5.tar");
                   },
                   {{"tarfile.5.tar", ""}},
                   1,
                   0},
        ReaderCase{"an archive without data makes no file",
                   [](SigWriter& w, std::string&) {
                       w.headerRecord("tarfile.6.tar");
                       w.endRecord("tarfile.6.tar");
                   },
                   {},
                   0,
                   1},
        ReaderCase{
            "marker look-alikes inside an archive are data",
            [](SigWriter& w, std::string&) {
                const std::string archive =
                    tarOf("m.txt", "\r\n\r\nBEGIN\r\nFILE_NAME      tarfilX and " + kMarker +
                                       ".9.tar in the middle");
                w.headerRecord("tarfile.7.tar");
                w.dataRecord(std::string_view(archive).substr(0, 512));
                w.dataRecord(std::string_view(archive).substr(512, 30));
                w.dataRecord(std::string_view(archive).substr(542));
                w.endRecord("tarfile.7.tar");
            },
            {{"tarfile.7.tar", tarOf("m.txt", "\r\n\r\nBEGIN\r\nFILE_NAME      tarfilX and " +
                                                  kMarker + ".9.tar in the middle")}},
            1,
            0},
        // A header that names nothing used to swallow the rest of the file.
        ReaderCase{"a header without a name is skipped",
                   [](SigWriter& w, std::string&) {
                       w.record(kMarker + ".8.tgz\r\n");
                       w.dataRecord(kArchiveB);
                       w.headerRecord("tarfile.8.tar");
                       w.dataRecord(kArchiveA);
                       w.endRecord("tarfile.8.tar");
                   },
                   {{"tarfile.8.tar", kArchiveA}},
                   1,
                   1},
        ReaderCase{"a name with a slash is no name",
                   [](SigWriter& w, std::string&) {
                       w.record(kMarker + "/../../evil.tar\r\n");
                       w.dataRecord(kArchiveA);
                       w.endRecord("tarfile.tar");
                   },
                   {},
                   0,
                   2},  // the header, and the end record that closes no archive
        // A ".tar" in front of the marker used to lose the whole archive.
        ReaderCase{"a stray .tar in front of the marker",
                   [](SigWriter& w, std::string&) {
                       w.record("previous.tar done\r\n" + kMarker + ".9.tar\r\n");
                       w.dataRecord(kArchiveA);
                       w.endRecord("tarfile.9.tar");
                   },
                   {{"tarfile.9.tar", kArchiveA}},
                   1,
                   0},
        ReaderCase{"a repeated name replaces the earlier archive",
                   [](SigWriter& w, std::string&) {
                       testdata::writeArchive(w, "tarfile.10.tar", kArchiveB,
                                              testdata::ArchiveLayout::fixedChunks(1000));
                       testdata::writeArchive(w, "tarfile.10.tar", kArchiveA,
                                              testdata::ArchiveLayout::fixedChunks(1000));
                   },
                   {{"tarfile.10.tar", kArchiveA}},
                   2,
                   0},
        ReaderCase{"a file without an end marker keeps its archive unsplit",
                   [](SigWriter& w, std::string&) {
                       w.headerRecord("tarfile.11.tar");
                       w.dataRecord(kArchiveA);
                   },
                   {{"tarfile.11.tar", kArchiveA}},
                   0,
                   1},
        // A cut-short last record used to write bytes left over from the record before it.
        ReaderCase{"a last record cut short writes only the bytes present",
                   [](SigWriter& w, std::string&) {
                       testdata::writeArchive(w, "tarfile.12.tar", kArchiveA,
                                              testdata::ArchiveLayout::fixedChunks(2048));
                       w.headerRecord("tarfile.13.tar");
                       w.rawRecord(33 + 2000, recordHeader() + std::string(500, 'q'));
                   },
                   {{"tarfile.12.tar", kArchiveA}, {"tarfile.13.tar", std::string(500, 'q')}},
                   1,
                   2},
        ReaderCase{"one stray byte at the end is no record",
                   [](SigWriter& w, std::string& sig) {
                       testdata::writeArchive(w, "tarfile.14.tar", kArchiveA,
                                              testdata::ArchiveLayout::fixedChunks(600));
                       sig += 'x';
                   },
                   {{"tarfile.14.tar", kArchiveA}},
                   1,
                   1}),
    testing_support::NameFromWhat{});

class RunOverFile : public testing::Test {
  protected:
    ScratchFolder scratch;
    RecordingHost host;
    std::filesystem::path out = scratch.path() / "out";

    std::string sigWith(const std::function<void(SigWriter&)>& build) {
        std::string sig;
        testdata::StringSink sink(sig);
        SigWriter writer(sink);
        build(writer);
        return sig;
    }

    RunReport runOver(const std::string& sig, std::stop_token stop = {}) {
        host.sig = scratch.path() / "feed.sig";
        writeFile(host.sig, sig);
        ExtractionRun extraction(host, out, std::move(stop));
        return extraction.RunExtraction();
    }
};

TEST_F(RunOverFile, ReportsProgressAfterEveryRecordUpTo100) {
    std::size_t records = 0;
    const std::string sig = sigWith([&](SigWriter& w) {
        w.noiseRecord();
        testdata::writeArchive(w, "tarfile.1.tar", kArchiveB,
                               testdata::ArchiveLayout::fixedChunks(700));
        records = w.recordsWritten();
    });
    const RunReport report = runOver(sig);
    ASSERT_EQ(host.positions.size(), records);
    EXPECT_TRUE(std::is_sorted(host.positions.begin(), host.positions.end()));
    EXPECT_EQ(host.positions.back(), static_cast<std::int64_t>(sig.size()));
    EXPECT_EQ(host.gauge.back(), 100);
    EXPECT_EQ(report.bytesRead, static_cast<std::int64_t>(sig.size()));
}

TEST_F(RunOverFile, EmptySigFileEndsAtOnce) {
    const RunReport report = runOver("");
    EXPECT_TRUE(host.positions.empty());
    EXPECT_TRUE(report.failures.empty());
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(RunOverFile, UnreadableSigFileWritesNothing) {
    host.sig = scratch.path() / "absent.sig";
    ExtractionRun extraction(host, out);
    const RunReport report = extraction.RunExtraction();
    ASSERT_EQ(report.failures.size(), 1U);
    EXPECT_EQ(report.failures[0].path, host.sig.string());
    EXPECT_TRUE(host.positions.empty());
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(extraction.state().SigFileSize, -1);
}

TEST_F(RunOverFile, ReplacesAnArchiveLeftByAnEarlierRun) {
    std::filesystem::create_directories(out / "TAR Files");
    writeFile(out / "TAR Files" / "tarfile.1.tar", std::string(9000, 'o'));
    const RunReport report = runOver(sigWith([](SigWriter& w) {
        testdata::writeArchive(w, "tarfile.1.tar", kArchiveA,
                               testdata::ArchiveLayout::fixedChunks(1000));
    }));
    EXPECT_EQ(readFile(out / "TAR Files" / "tarfile.1.tar"), kArchiveA);
    EXPECT_EQ(report.counts[Counter::Tar], 1);
}

TEST_F(RunOverFile, ArchiveThatCannotBeCreatedIsAFailureNotACount) {
    std::filesystem::create_directories(out);
    writeFile(out / "TAR Files", "a file where the folder must go");
    host.kinds = KindSelection::all();
    const RunReport report = runOver(sigWith([](SigWriter& w) {
        testdata::writeArchive(w, "tarfile.1.tar", kArchiveA,
                               testdata::ArchiveLayout::fixedChunks(1000));
    }));
    EXPECT_EQ(report.counts, RunCounters{});
    ASSERT_EQ(report.failures.size(), 1U);
    EXPECT_NE(report.failures[0].path.find("tarfile.1.tar"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(out / "ASCII Files"));
}

TEST_F(RunOverFile, StopRemovesTheUnfinishedArchive) {
    std::stop_source stop;
    // Stop once the header and two data records are through: the archive is half written.
    host.onProgress = [&](const RunProgress&) {
        if (host.positions.size() == 3) {
            stop.request_stop();
        }
    };
    const RunReport report =
        runOver(sigWith([](SigWriter& w) {
                    testdata::writeArchive(w, "tarfile.1.tar", kArchiveB,
                                           testdata::ArchiveLayout::fixedChunks(500));
                }),
                stop.get_token());
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(host.positions.size(), 3U);
    EXPECT_TRUE(filesUnder(out).empty());
}

}  // namespace
}  // namespace veltrane
