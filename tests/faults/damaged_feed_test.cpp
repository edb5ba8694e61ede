// SIG files whose records came through damaged or out of place: the archives that are whole are
// written, the damage is reported, and nothing damaged is counted.

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "case_name.h"
#include "fault_fixture.h"

namespace veltrane {
namespace {

using Files = std::map<std::string, std::string>;
using testdata::SigWriter;

const std::string kText = testing_support::textMember(20);
const std::string kArchiveA = testing_support::archiveOf({{"a", kText}});
const std::string kArchiveB = testing_support::archiveOf({{"b", kText}});

void archive(SigWriter& w, const std::string& name, const std::string& bytes) {
    testdata::writeArchive(w, name, bytes, testdata::ArchiveLayout::fixedChunks(1500));
}

struct DamageCase {
    const char* what;
    std::function<void(SigWriter&)> build;
    Files archives;  // expected in "TAR Files"
    Files products;
    std::size_t warnings;
};

void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.what;
}

class DamagedFeed : public testing_support::FaultTest<>,
                    public testing::WithParamInterface<DamageCase> {};

using DamagedFeedList = testing_support::FaultTest<>;

TEST_P(DamagedFeed, KeepsWhatIsWholeAndReportsTheRest) {
    const DamageCase& c = GetParam();
    const RunReport report = runOver(testing_support::sigWith(c.build));
    EXPECT_EQ(testing_support::filesUnder(out / "TAR Files"), c.archives);
    EXPECT_EQ(testing_support::productsUnder(out), c.products);
    EXPECT_EQ(report.counts[Counter::Tar], static_cast<std::int64_t>(c.archives.size()));
    EXPECT_EQ(report.warnings.size(), c.warnings);
    EXPECT_TRUE(report.failures.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Damage, DamagedFeed,
    testing::Values(
        // Its end record used to open an archive that swallowed the next one whole.
        DamageCase{"a header damaged in transit",
                   [](SigWriter& w) {
                       w.record("BEGIN\r\nFILE_NAMX      tarfile.a.tar\r\n");
                       w.dataRecord(kArchiveA);
                       w.endRecord("tarfile.a.tar");
                       w.noiseRecord();
                       archive(w, "tarfile.b.tar", kArchiveB);
                   },
                   {{"tarfile.b.tar", kArchiveB}},
                   {{"ASCII Files/b", kText}},
                   1},
        DamageCase{"an end record repeated",
                   [](SigWriter& w) {
                       archive(w, "tarfile.a.tar", kArchiveA);
                       w.endRecord("tarfile.a.tar");
                       archive(w, "tarfile.b.tar", kArchiveB);
                   },
                   {{"tarfile.a.tar", kArchiveA}, {"tarfile.b.tar", kArchiveB}},
                   {{"ASCII Files/a", kText}, {"ASCII Files/b", kText}},
                   1},
        // A file that ended right behind a header record used to be reported as whole.
        DamageCase{"a header, then the end of the file",
                   [](SigWriter& w) {
                       archive(w, "tarfile.a.tar", kArchiveA);
                       w.headerRecord("tarfile.b.tar");
                   },
                   {{"tarfile.a.tar", kArchiveA}},
                   {{"ASCII Files/a", kText}},
                   1}),
    testing_support::NameFromWhat{});

// A feed built to provoke a warning in every record: the report lists the first ones and only
// counts the rest, so its memory stays flat however long the feed is; the archive behind them
// is still written.
TEST_F(DamagedFeedList, ProblemsBeyondTheListLimitAreCountedNotListed) {
    const std::size_t provoked = kProblemListLimit + 250;
    const RunReport report = runOver(testing_support::sigWith([&](SigWriter& w) {
        for (std::size_t i = 0; i < provoked; ++i) {
            w.endRecord("tarfile.lost.tar");
        }
        archive(w, "tarfile.a.tar", kArchiveA);
    }));
    EXPECT_EQ(report.warnings.size(), kProblemListLimit);
    EXPECT_EQ(report.warningsNotListed, 250);
    EXPECT_EQ(report.warningCount(), static_cast<std::int64_t>(provoked));
    EXPECT_EQ(report.failureCount(), 0);
    EXPECT_EQ(testing_support::productsUnder(out), (Files{{"ASCII Files/a", kText}}));
}

}  // namespace
}  // namespace veltrane
