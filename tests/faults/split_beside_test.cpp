// A run that splits each archive on a second thread while the walk goes on must leave exactly
// what a run on one thread leaves, whatever the feed holds: the same files, the same counts, the
// same problems. Its host is called from two threads but never twice at once, its last progress
// call shows the final counts, and a stop from either thread leaves nothing half written.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "case_name.h"
#include "engine/extraction_run.h"
#include "fault_fixture.h"
#include "generated_sig.h"
#include "run_fixture.h"
#include "sample_fixtures.h"
#include "testdata/sig_generator.h"
#include "testdata/tar_writer.h"

namespace veltrane {
namespace {

using Files = std::map<std::string, std::string>;
using testing_support::writeFile;

// Fails the test when two of its calls overlap, and records what a run told it.
class SerialCheckingHost : public testing_support::RecordingHost {
  public:
    std::atomic<int> overlaps{0};
    RunCounters lastShown;

    KindSelection selectedKinds() override {
        const Entered entered(*this);
        return RecordingHost::selectedKinds();
    }
    void showProgress(const RunProgress& progress) override {
        const Entered entered(*this);
        lastShown = progress.counters;
        RecordingHost::showProgress(progress);
    }
    void fileWritten(Counter kind, const std::filesystem::path& path) override {
        const Entered entered(*this);
        std::this_thread::yield();  // widens the window in which an overlap would show
        RecordingHost::fileWritten(kind, path);
    }

  private:
    struct Entered {
        explicit Entered(SerialCheckingHost& host) : host_(host) {
            if (host_.inside_.exchange(true)) {
                ++host_.overlaps;
            }
        }
        ~Entered() { host_.inside_.store(false); }
        SerialCheckingHost& host_;
    };
    std::atomic<bool> inside_{false};
};

struct Outcome {
    Files files;  // everything under the output folder, archives included
    RunCounters counts;
    std::multiset<std::string> failures;
    std::multiset<std::string> warnings;
    bool stopped = false;
};

std::multiset<std::string> describeAll(const std::vector<Problem>& problems) {
    std::multiset<std::string> described;
    for (const Problem& problem : problems) {
        described.insert(problem.path + ": " + problem.reason);
    }
    return described;
}

struct FeedCase {
    const char* what;
    std::function<std::string()> sig;
    // Made in the output folder before each run: files standing where folders must go.
    std::vector<std::string> blockers;
};

void PrintTo(const FeedCase& c, std::ostream* out) {
    *out << c.what;
}

const std::string kGrib = testing_support::heading() + testing_support::gribMessage(300);
const std::string kText = testing_support::textMember(200);

void archive(testdata::SigWriter& w, const std::string& name,
             const std::vector<std::pair<std::string, std::string>>& members) {
    testdata::writeArchive(w, name, testing_support::archiveOf(members),
                           testdata::ArchiveLayout::fixedChunks(700));
}

class SplitBeside : public testing::TestWithParam<FeedCase> {
  protected:
    testing_support::ScratchFolder scratch;

    Outcome runOnce(bool beside, SerialCheckingHost& host) {
        const auto out = scratch.path() / (beside ? "beside" : "alone");
        for (const std::string& blocker : GetParam().blockers) {
            std::filesystem::create_directories((out / blocker).parent_path());
            writeFile(out / blocker, "in the way");
        }
        host.sig = scratch.path() / "feed.sig";
        ExtractionRun run(host, out, {}, RunOptions{.splitBesideWalk = beside});
        const RunReport report = run.RunExtraction();
        EXPECT_EQ(testing_support::partFilesUnder(out), std::vector<std::filesystem::path>{});
        return Outcome{testing_support::filesUnder(out), report.counts,
                       describeAll(report.failures), describeAll(report.warnings), report.stopped};
    }
};

TEST_P(SplitBeside, LeavesWhatARunOnOneThreadLeaves) {
    writeFile(scratch.path() / "feed.sig", GetParam().sig());
    SerialCheckingHost aloneHost;
    SerialCheckingHost besideHost;
    const Outcome alone = runOnce(false, aloneHost);
    const Outcome beside = runOnce(true, besideHost);

    // Paths differ only by the output folder's name.
    const auto relative = [](std::multiset<std::string> problems) {
        std::multiset<std::string> relativeProblems;
        for (std::string problem : problems) {
            for (const std::string folder : {"/alone/", "/beside/"}) {
                for (auto at = problem.find(folder); at != std::string::npos;
                     at = problem.find(folder)) {
                    problem.replace(at, folder.size(), "/out/");
                }
            }
            relativeProblems.insert(problem);
        }
        return relativeProblems;
    };
    EXPECT_EQ(beside.files, alone.files);
    EXPECT_EQ(beside.counts, alone.counts);
    EXPECT_EQ(relative(beside.failures), relative(alone.failures));
    EXPECT_EQ(relative(beside.warnings), relative(alone.warnings));
    EXPECT_FALSE(beside.stopped);
    EXPECT_EQ(besideHost.overlaps.load(), 0);
    EXPECT_EQ(besideHost.lastShown, beside.counts);
    EXPECT_EQ(besideHost.positions.back(), aloneHost.positions.back());
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, SplitBeside,
    testing::Values(
        FeedCase{"generated, records of 1 to 2 KiB",
                 [] { return testing_support::generatedSig(3 << 20, 1024, 2048, 7); },
                 {}},
        FeedCase{"generated, records near 64 KiB",
                 [] { return testing_support::generatedSig(3 << 20, 60000, 65502, 8); },
                 {}},
        // The second archive replaces the first one's file while the first is still split.
        FeedCase{"one archive name twice",
                 [] {
                     return testing_support::sigWith([](testdata::SigWriter& w) {
                         archive(w, "tarfile.same.tar", {{"first", kText}, {"g1", kGrib}});
                         archive(w, "tarfile.same.tar", {{"second", kText}, {"g2", kGrib}});
                         archive(w, "tarfile.same.tar", {{"third", kText}});
                     });
                 },
                 {}},
        FeedCase{"failures in both threads",
                 [] {
                     return testing_support::sigWith([](testdata::SigWriter& w) {
                         archive(w, "tarfile.1.tar", {{"g", kGrib}, {"t", kText}});
                         archive(w, "tarfile.bad/name.tar", {{"lost", kText}});
                         archive(w, "tarfile.2.tar", {{"g", kGrib}, {"dir/t", kText}});
                         w.endRecord("tarfile.orphan.tar");
                         w.headerRecord("tarfile.cut.tar");
                         w.dataRecord(testing_support::archiveOf({{"cut", kText}}).substr(0, 900));
                     });
                 },
                 {"GRIB Files", "ASCII Files/dir"}}),
    testing_support::NameFromWhat{});

// A stop asked by the split's thread, in a file-written call, ends both threads; what the run
// had begun is removed, and every counted file is on disk.
TEST(SplitBesideStop, AskedFromTheSplitLeavesNothingHalfWritten) {
    testing_support::ScratchFolder scratch;
    const auto out = scratch.path() / "out";
    SerialCheckingHost host;
    host.sig = scratch.path() / "feed.sig";
    testdata::GenerationCounts feed;
    writeFile(host.sig, testing_support::generatedSig(3 << 20, 1024, 2048, 9, &feed));
    std::stop_source stop;
    int written = 0;
    host.onFileWritten = [&](Counter, const std::filesystem::path&) {
        if (++written == 10) {
            stop.request_stop();
        }
    };
    ExtractionRun run(host, out, stop.get_token(), RunOptions{.splitBesideWalk = true});
    const RunReport report = run.RunExtraction();

    EXPECT_TRUE(report.stopped);
    // The walk may close one more archive before it sees the stop; no product follows it.
    EXPECT_LE(written, 11);
    EXPECT_GT(feed.members, 30U);
    EXPECT_EQ(testing_support::partFilesUnder(out), std::vector<std::filesystem::path>{});
    EXPECT_EQ(testing_support::productsCounted(report.counts),
              static_cast<std::int64_t>(testing_support::productsUnder(out).size()));
    EXPECT_EQ(host.overlaps.load(), 0);
}

}  // namespace
}  // namespace veltrane
