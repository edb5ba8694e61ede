// A SIG file over 4 GiB carrying an archive over 2 GiB, streamed to disk through the fixture
// writers and then extracted: right counts, right bytes (CRC-32 of every archive and product),
// and the gauge reaching 100. Offsets past 2 and 4 GiB are where 32-bit arithmetic would
// break: the large archive's later members sit past 2 GiB inside it, and the second archive
// straddles the SIG file's 4 GiB mark.
//
// Opt-in (scripts/test.sh --large, in the release build): it writes about 9 GB under TMPDIR,
// takes a few minutes, and removes everything it wrote at the end.

#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "engine/extraction_run.h"
#include "run_fixture.h"
#include "testdata/byte_sink.h"
#include "testdata/checksums.h"
#include "testdata/prng.h"
#include "testdata/products.h"
#include "testdata/sig_writer.h"
#include "testdata/tar_writer.h"

namespace veltrane {
namespace {

namespace fs = std::filesystem;
using testdata::SigWriter;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
// The large IMAG member, and the SIG offset the second archive starts just below.
constexpr std::uint64_t kBigBody = 2 * kGiB + 64 * kMiB + 123;
constexpr std::uint64_t kSecondArchiveAt = 4 * kGiB - 2 * kMiB;
constexpr std::uint64_t kRoomNeeded = 10 * kGiB;

std::string wmoHeading() {
    return testdata::wmoHeading(42, "HTXA50", "KWBC", "111200");
}

// A GRIB edition-1 or BUFR message of `body` bytes between its 8-byte start and "7777".
std::string message(std::string_view signature, std::size_t body, char edition) {
    const std::size_t length = 8 + body + 4;
    std::string bytes(signature);
    for (const int shift : {16, 8, 0}) {
        bytes += static_cast<char>((length >> shift) & 0xFF);
    }
    bytes += edition;
    return bytes + std::string(body, 'm') + "7777";
}

// Writes an archive into data records of the largest payload, with a skip record now and then,
// as its bytes come; keeps the CRC of the archive and of the product being written.
class StreamedArchive {
  public:
    StreamedArchive(SigWriter& writer, std::string name) : writer_(writer), name_(std::move(name)) {
        writer_.headerRecord(name_);
    }

    // A member: its header now, its data through data(), its padding through endMember().
    void beginMember(const std::string& member, std::uint64_t size) {
        add(testdata::TarWriter::headerBlock(testdata::TarEntry(member), size));
        memberSize_ = size;
    }
    void data(std::string_view bytes, bool inProduct) {
        add(bytes);
        if (inProduct) {
            productCrc_ = testdata::crc32(bytes, productCrc_);
        }
    }
    std::uint32_t endMember() {
        add(std::string((testdata::kTarBlockSize - memberSize_ % testdata::kTarBlockSize) %
                            testdata::kTarBlockSize,
                        '\0'));
        return std::exchange(productCrc_, 0);
    }

    // A member whose product is `product`, standing behind `prefix` in the member's data.
    std::uint32_t member(const std::string& member, const std::string& prefix,
                         const std::string& product, const std::string& suffix = {}) {
        beginMember(member, prefix.size() + product.size() + suffix.size());
        data(prefix, false);
        data(product, true);
        data(suffix, false);
        return endMember();
    }

    // The end blocks, the last data record and the end record; the archive's CRC.
    std::uint32_t finish() {
        add(std::string(2 * testdata::kTarBlockSize, '\0'));
        flush(true);
        writer_.endRecord(name_);
        return archiveCrc_;
    }

  private:
    void add(std::string_view bytes) {
        archiveCrc_ = testdata::crc32(bytes, archiveCrc_);
        pending_.append(bytes);
        flush(false);
    }

    void flush(bool all) {
        std::size_t at = 0;
        while (pending_.size() - at >= testdata::kSigMaxPayload || (all && at < pending_.size())) {
            const std::size_t size = std::min(testdata::kSigMaxPayload, pending_.size() - at);
            if (++records_ % 97 == 0) {
                writer_.skipRecord();
            }
            writer_.dataRecord(std::string_view(pending_).substr(at, size));
            at += size;
        }
        pending_.erase(0, at);
    }

    SigWriter& writer_;
    std::string name_;
    std::string pending_;
    std::uint64_t memberSize_ = 0;
    std::uint64_t records_ = 0;
    std::uint32_t archiveCrc_ = 0;
    std::uint32_t productCrc_ = 0;
};

struct Expected {
    std::map<std::string, std::uint32_t> crcs;  // by path relative to the output folder
    RunCounters counts;
};

void noiseUpTo(SigWriter& writer, std::uint64_t offset) {
    const std::string filler(testdata::kSigMaxPayload, 'n');
    const std::uint64_t overhead = testdata::kSigRecordOverhead + testdata::kSigLengthFieldSize;
    while (writer.bytesWritten() + overhead < offset) {
        const std::uint64_t left = offset - writer.bytesWritten() - overhead;
        writer.noiseRecord(std::string_view(filler).substr(
            0, static_cast<std::size_t>(std::min<std::uint64_t>(left, filler.size()))));
    }
}

Expected writeLargeSig(const fs::path& path) {
    testdata::FileSink sink(path);
    SigWriter writer(sink);
    Expected expected;
    const std::string heading = wmoHeading();
    const std::string trailer(testdata::kWmoEndOfMessage);
    const std::string grib1 = message("GRIB", 300, 1);
    const std::string bufr = message("BUFR", 200, 4);
    const std::string text = "METAR KWBC 111200Z 27010KT 9999 FEW030 12/05 Q1013=";
    const auto count = [&](Counter counter, const std::string& file, std::uint32_t crc) {
        ++expected.counts[counter];
        expected.crcs[file] = crc;
    };

    writer.noiseRecord();
    {
        StreamedArchive archive(writer, "tarfile.large.tar");
        count(Counter::Grib, "GRIB Files/g1.grb", archive.member("g1", heading, grib1, trailer));
        // The large product: "IMAG" and pseudo-random bytes, made a block at a time.
        archive.beginMember("big", heading.size() + 4 + kBigBody);
        archive.data(heading, false);
        archive.data("IMAG", true);
        testdata::Prng rng(7);
        std::string block(4 * kMiB, '\0');
        for (std::uint64_t left = kBigBody; left > 0;) {
            const std::size_t size =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
            rng.fill(block.data(), size);
            archive.data(std::string_view(block).substr(0, size), true);
            left -= size;
        }
        count(Counter::Imag, "IMAG Files/big.img", archive.endMember());
        // Past 2 GiB inside the archive.
        count(Counter::Bufr, "BUFR Files/b1.bfr", archive.member("b1", heading, bufr + trailer));
        // A facsimile travels bit-reversed; its product is the original.
        const std::string fax = "facsimile \x01\x02\x80 lines";
        archive.member("f1", testdata::faxHeading(43, "PPVA89", "KWBC", "111200"),
                       testdata::reverseBits(fax));
        count(Counter::Fax, "FAX Files/f1.fax", testdata::crc32(fax));
        count(Counter::Ascii, "ASCII Files/t1", archive.member("t1", "", heading + text + trailer));
        count(Counter::Tar, "TAR Files/tarfile.large.tar", archive.finish());
    }
    // The second archive straddles the 4 GiB mark.
    noiseUpTo(writer, kSecondArchiveAt);
    {
        StreamedArchive archive(writer, "tarfile.tail.tar");
        std::string imag = "IMAG";
        for (std::size_t i = 0; i < 3 * kMiB; ++i) {
            imag += static_cast<char>('a' + i % 23);
        }
        count(Counter::Imag, "IMAG Files/i2.img", archive.member("i2", heading, imag));
        count(Counter::Grib, "GRIB Files/g2.grb", archive.member("g2", heading, grib1, trailer));
        const std::string png = "\x89PNG\r\n\x1a\n" + std::string(500, 'p');
        count(Counter::Png, "PNG Files/p2.png", archive.member("p2", heading, png));
        count(Counter::Ascii, "ASCII Files/t2", archive.member("t2", "", heading + text + trailer));
        count(Counter::Tar, "TAR Files/tarfile.tail.tar", archive.finish());
    }
    writer.noiseRecord();
    sink.close();
    return expected;
}

std::uint32_t crcOfFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string block(4 * kMiB, '\0');
    std::uint32_t crc = 0;
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0) {
        crc = testdata::crc32(
            std::string_view(block).substr(0, static_cast<std::size_t>(in.gcount())), crc);
    }
    return crc;
}

// Keeps only what a long run needs: the last gauge value and whether it ever went back.
class GaugeHost : public RunHost {
  public:
    fs::path sig;
    int last = -1;
    bool wentBack = false;

    fs::path sigFilePath() override { return sig; }
    KindSelection selectedKinds() override { return KindSelection::all(); }
    void showProgress(const RunProgress& progress) override {
        const int percent = gaugePercent(progress.SigPosition, progress.SigFileSize);
        wentBack = wentBack || percent < last;
        last = percent;
    }
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(LargeFiles, SigOver4GiBWithAnArchiveOver2GiB) {
    testing_support::ScratchFolder scratch;
    struct statvfs disk {};
    ASSERT_EQ(::statvfs(scratch.path().c_str(), &disk), 0);
    if (static_cast<std::uint64_t>(disk.f_bavail) * disk.f_frsize < kRoomNeeded) {
        GTEST_SKIP() << "needs " << kRoomNeeded / kGiB << " GiB free under " << scratch.path();
    }
    GaugeHost host;
    host.sig = scratch.path() / "large.sig";
    const fs::path out = scratch.path() / "out";

    auto start = std::chrono::steady_clock::now();
    const Expected expected = writeLargeSig(host.sig);
    std::printf("large: wrote %.2f GiB of SIG file in %.0f s\n",
                static_cast<double>(fs::file_size(host.sig)) / kGiB, secondsSince(start));
    ASSERT_GT(fs::file_size(host.sig), 4 * kGiB);

    start = std::chrono::steady_clock::now();
    ExtractionRun run(host, out);
    const RunReport report = run.RunExtraction();
    std::printf("large: extracted in %.0f s\n", secondsSince(start));

    EXPECT_TRUE(report.failures.empty())
        << report.failures.front().path << ": " << report.failures.front().reason;
    EXPECT_TRUE(report.warnings.empty())
        << report.warnings.front().path << ": " << report.warnings.front().reason;
    EXPECT_EQ(report.counts, expected.counts);
    EXPECT_EQ(report.bytesRead, static_cast<std::int64_t>(fs::file_size(host.sig)));
    EXPECT_EQ(host.last, 100);
    EXPECT_FALSE(host.wentBack);
    ASSERT_GT(fs::file_size(out / "TAR Files" / "tarfile.large.tar"), 2 * kGiB);

    start = std::chrono::steady_clock::now();
    std::map<std::string, std::uint32_t> written;
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (entry.is_regular_file()) {
            written[fs::relative(entry.path(), out).string()] = crcOfFile(entry.path());
        }
    }
    EXPECT_EQ(written, expected.crcs);
    std::printf("large: checked every file in %.0f s\n", secondsSince(start));
}

}  // namespace
}  // namespace veltrane
