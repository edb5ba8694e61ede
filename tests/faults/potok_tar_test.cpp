// The run on a worker thread of its own: it starts at once, hands its report to the front end,
// and its owner going away stops it at the next record without leaving anything half written.

#include "engine/potok_tar.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "fault_fixture.h"
#include "run_fixture.h"

namespace veltrane {
namespace {

using testing_support::writeFile;

const std::string kText = testing_support::textMember(300);

std::string sigOfArchives(int archives) {
    return testing_support::sigWith([&](testdata::SigWriter& w) {
        for (int i = 0; i < archives; ++i) {
            testdata::writeArchive(
                w, "tarfile." + std::to_string(i) + ".tar",
                testing_support::archiveOf({{"a" + std::to_string(i), kText}, {"b", kText}}),
                testdata::ArchiveLayout::fixedChunks(200));
        }
    });
}

class PotokTar : public testing::Test {
  protected:
    testing_support::ScratchFolder scratch;
    testing_support::RecordingHost host;
    std::filesystem::path out = scratch.path() / "out";

    PotokTar() {
        host.sig = scratch.path() / "feed.sig";
        host.kinds = KindSelection::all();
    }
};

TEST_F(PotokTar, RunsAtOnceAndHandsOverItsReport) {
    writeFile(host.sig, sigOfArchives(3));
    std::atomic<int> finishedCalls{0};
    RunCounters finishedCounts;
    TPotokTAR worker(host, out, [&](const RunReport& report) {
        finishedCounts = report.counts;
        ++finishedCalls;
    });
    const RunReport& report = worker.waitForReport();
    EXPECT_FALSE(worker.isRunning());
    EXPECT_EQ(finishedCalls.load(), 1);
    EXPECT_EQ(report.counts[Counter::Tar], 3);
    EXPECT_EQ(report.counts[Counter::Ascii], 6);
    EXPECT_EQ(finishedCounts, report.counts);
    EXPECT_FALSE(report.stopped);
    EXPECT_EQ(host.gauge.back(), 100);
}

// The window ends the program during a run: the worker's owner goes away while the worker
// waits in a progress call, and the run must stop there instead of outliving its host.
TEST_F(PotokTar, GoingAwayStopsTheRunAtTheNextRecord) {
    writeFile(host.sig, sigOfArchives(40));
    std::atomic<int> shown{0};
    host.onProgress = [&](const RunProgress&) {
        ++shown;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    bool stopped = false;
    {
        TPotokTAR worker(host, out, [&](const RunReport& report) { stopped = report.stopped; });
        while (shown.load() < 5) {
            std::this_thread::yield();
        }
    }
    EXPECT_TRUE(stopped);
    EXPECT_LT(host.positions.size(), 100U);
    EXPECT_LT(host.positions.back(),
              static_cast<std::int64_t>(std::filesystem::file_size(host.sig)));
    EXPECT_EQ(testing_support::partFilesUnder(scratch.path()),
              std::vector<std::filesystem::path>{});
}

}  // namespace
}  // namespace veltrane
