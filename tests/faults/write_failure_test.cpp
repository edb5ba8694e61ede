// Writes that fail: a folder that cannot be made, a disk that fills in the middle of an archive
// or of a product. Each failure is reported with its path, the run goes on with what it can
// still write, nothing is counted that is not on disk, no ".part" file is left, and a file
// that an earlier run left under the same name is kept as it was.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "case_name.h"
#include "engine/extraction_run.h"
#include "fault_fixture.h"
#include "run_fixture.h"

namespace veltrane {
namespace {

using Files = std::map<std::string, std::string>;
using testing_support::filesUnder;
using testing_support::writeFile;

const std::string kGrib = testing_support::gribMessage(80);
const std::string kText = testing_support::textMember(50);

using WriteFailure = testing_support::FaultTest<>;

std::string oneArchive(const std::vector<std::pair<std::string, std::string>>& members) {
    return testing_support::sigWith([&](testdata::SigWriter& w) {
        testdata::writeArchive(w, "tarfile.1.tar", testing_support::archiveOf(members),
                               testdata::ArchiveLayout::fixedChunks(1000));
    });
}

struct BlockedCase {
    const char* what;
    std::string blocker;  // a file made where the run needs a folder, relative to out
    std::vector<std::pair<std::string, std::string>> members;
    Files products;
    std::size_t failures;
};

void PrintTo(const BlockedCase& c, std::ostream* out) {
    *out << c.what;
}

class BlockedFolder : public WriteFailure, public testing::WithParamInterface<BlockedCase> {};

TEST_P(BlockedFolder, FailsItsProductsAndWritesTheRest) {
    const BlockedCase& c = GetParam();
    std::filesystem::create_directories((out / c.blocker).parent_path());
    writeFile(out / c.blocker, "in the way");
    writeSig(oneArchive(c.members));
    const RunReport report = run();
    Files expected = c.products;
    expected.emplace(c.blocker, "in the way");
    EXPECT_EQ(testing_support::productsUnder(out), expected);
    ASSERT_EQ(report.failures.size(), c.failures);
    for (const Problem& failure : report.failures) {
        EXPECT_NE(failure.reason.find("folder"), std::string::npos) << failure.reason;
    }
    EXPECT_EQ(report.counts[Counter::Tar], 1);
    EXPECT_EQ(testing_support::productsCounted(report.counts),
              static_cast<std::int64_t>(c.products.size()));
    expectNoPartFile();
}

INSTANTIATE_TEST_SUITE_P(Blockers, BlockedFolder,
                         testing::Values(BlockedCase{"a kind folder",
                                                     "GRIB Files",
                                                     {{"g1", testing_support::heading() + kGrib},
                                                      {"t", kText},
                                                      {"g2", testing_support::heading() + kGrib}},
                                                     {{"ASCII Files/t", kText}},
                                                     2},
                                         BlockedCase{"a sub-folder of a member",
                                                     "ASCII Files/dir",
                                                     {{"dir/t", kText}, {"other/t", kText}},
                                                     {{"ASCII Files/other/t", kText}},
                                                     1}),
                         testing_support::NameFromWhat{});

// Archive 1 carries a product too large for the disk left, archive 2 a small one.
constexpr std::size_t kBigBody = 300 << 10;
const std::string kBigImag = testing_support::imagMember(kBigBody);
const std::string kFirstArchive = testing_support::archiveOf({{"big", kBigImag}, {"t1", kText}});
const std::string kSecondArchive = testing_support::archiveOf({{"t2", kText}});
const std::string kTwoArchives = testing_support::sigWith([](testdata::SigWriter& w) {
    const auto layout = testdata::ArchiveLayout::fixedChunks(testdata::kSigMaxPayload);
    testdata::writeArchive(w, "tarfile.1.tar", kFirstArchive, layout);
    testdata::writeArchive(w, "tarfile.2.tar", kSecondArchive, layout);
});

enum class Filler { Tmpfs, FileSizeLimit };

struct DiskCase {
    const char* what;
    Filler filler;
    bool midProduct;  // the disk fills while the big product is written, not its archive
};

void PrintTo(const DiskCase& c, std::ostream* out) {
    *out << c.what;
}

class FullDisk : public WriteFailure, public testing::WithParamInterface<DiskCase> {
  protected:
    std::optional<testing_support::SmallDisk> disk;
    std::optional<testing_support::FileSizeLimit> limit;

    // Less room than the big product needs; with a tmpfs, room for its archive when only the
    // product is to fail.
    void fill(const DiskCase& c) {
        if (c.filler == Filler::Tmpfs) {
            disk.emplace(out, c.midProduct ? kFirstArchive.size() + kBigBody / 2 : kBigBody / 2);
            if (!disk->mounted()) {
                GTEST_SKIP() << "mounting a tmpfs is not permitted here";
            }
        } else if (c.midProduct) {
            host.onFileWritten = [this](Counter kind, const std::filesystem::path&) {
                if (kind == Counter::Tar && !limit) {
                    limit.emplace(kBigBody / 2);
                }
            };
        } else {
            limit.emplace(kBigBody / 2);
        }
    }
};

TEST_P(FullDisk, FailsTheFileKeepsTheOldOneAndGoesOn) {
    const DiskCase& c = GetParam();
    writeSig(kTwoArchives);
    fill(c);
    if (IsSkipped()) {
        return;
    }
    // What an earlier run left under the name this run fails to write.
    const auto failing =
        c.midProduct ? out / "IMAG Files" / "big.img" : out / "TAR Files" / "tarfile.1.tar";
    std::filesystem::create_directories(failing.parent_path());
    writeFile(failing, "from an earlier run");

    const RunReport report = run();
    limit.reset();

    ASSERT_EQ(report.failures.size(), 1U);
    EXPECT_EQ(report.failures[0].path, failing.string());
    EXPECT_EQ(testing_support::readFile(failing), "from an earlier run");
    const Files archives = filesUnder(out / "TAR Files");
    EXPECT_EQ(archives.at("tarfile.2.tar"), kSecondArchive);
    RunCounters counted;
    if (c.midProduct) {
        // The products behind the failed one are still written.
        EXPECT_EQ(archives.at("tarfile.1.tar"), kFirstArchive);
        EXPECT_EQ(testing_support::productsUnder(out),
                  (Files{{"ASCII Files/t1", kText},
                         {"ASCII Files/t2", kText},
                         {"IMAG Files/big.img", "from an earlier run"}}));
        counted[Counter::Tar] = 2;
        counted[Counter::Ascii] = 2;
    } else {
        EXPECT_EQ(testing_support::productsUnder(out), (Files{{"ASCII Files/t2", kText}}));
        counted[Counter::Tar] = 1;
        counted[Counter::Ascii] = 1;
    }
    EXPECT_EQ(report.counts, counted);
    expectNoPartFile();
}

INSTANTIATE_TEST_SUITE_P(
    Fillers, FullDisk,
    testing::Values(DiskCase{"tmpfs, in an archive", Filler::Tmpfs, false},
                    DiskCase{"tmpfs, in a product", Filler::Tmpfs, true},
                    DiskCase{"file size limit, in an archive", Filler::FileSizeLimit, false},
                    DiskCase{"file size limit, in a product", Filler::FileSizeLimit, true}),
    testing_support::NameFromWhat{});

}  // namespace
}  // namespace veltrane
