// Files appear under their names only when complete: a stop or a failed replacement leaves no
// ".part" file, and the file an earlier run left under the name stays as it was.

#include <gtest/gtest.h>

#include <stop_token>
#include <string>
#include <vector>

#include "engine/extraction_run.h"
#include "fault_fixture.h"
#include "platform/file_io.h"
#include "run_fixture.h"

namespace veltrane {
namespace {

using Files = std::map<std::string, std::string>;
using testing_support::filesUnder;
using testing_support::readFile;
using testing_support::writeFile;

const std::string kText = testing_support::textMember(50);
const std::string kArchive = testing_support::archiveOf({{"a", kText}, {"b", kText}});

// Asks the run to stop as it sorts its n-th member, after its kind is chosen and before its
// file is made: the product's temporary file is created and must then go.
class StoppingHost : public testing_support::RecordingHost {
  public:
    std::stop_source stop;
    int stopAtMember = 0;
    int members = 0;

    KindSelection selectedKinds() override {
        if (++members == stopAtMember) {
            stop.request_stop();
        }
        return kinds;
    }
};

class Atomic : public testing_support::FaultTest<StoppingHost> {
  protected:
    RunReport runOver(const std::string& sig) {
        return FaultTest::runOver(sig, host.stop.get_token());
    }

    void leave(const std::filesystem::path& relative, const std::string& bytes) {
        std::filesystem::create_directories((out / relative).parent_path());
        writeFile(out / relative, bytes);
    }
};

const std::string kSig = testing_support::sigWith([](testdata::SigWriter& w) {
    testdata::writeArchive(w, "tarfile.1.tar", kArchive, testdata::ArchiveLayout::fixedChunks(500));
});

TEST_F(Atomic, StopInsideAnArchiveKeepsTheOldOne) {
    leave("TAR Files/tarfile.1.tar", "from an earlier run");
    host.onProgress = [this](const RunProgress&) {
        if (host.positions.size() == 3) {  // the header and two of five data records
            host.stop.request_stop();
        }
    };
    const RunReport report = runOver(kSig);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(filesUnder(out), (Files{{"TAR Files/tarfile.1.tar", "from an earlier run"}}));
    EXPECT_EQ(report.counts, RunCounters{});
    expectNoPartFile();
}

TEST_F(Atomic, StopAsAProductIsWrittenKeepsTheOldOne) {
    leave("ASCII Files/b", "from an earlier run");
    host.stopAtMember = 2;
    const RunReport report = runOver(kSig);
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(testing_support::productsUnder(out),
              (Files{{"ASCII Files/a", kText}, {"ASCII Files/b", "from an earlier run"}}));
    EXPECT_EQ(report.counts[Counter::Ascii], 1);
    EXPECT_EQ(report.counts[Counter::Tar], 1);
    expectNoPartFile();
}

// A link where a product goes is replaced by the product; the file it points to is not written.
TEST_F(Atomic, LinkUnderTheNameIsReplacedNotFollowed) {
    const auto outside = scratch.path() / "outside.txt";
    writeFile(outside, "not ours");
    std::filesystem::create_directories(out / "ASCII Files");
    std::filesystem::create_symlink(outside, out / "ASCII Files" / "a");
    const RunReport report = runOver(kSig);
    EXPECT_EQ(readFile(outside), "not ours");
    EXPECT_FALSE(std::filesystem::is_symlink(out / "ASCII Files" / "a"));
    EXPECT_EQ(readFile(out / "ASCII Files" / "a"), kText);
    EXPECT_EQ(report.counts[Counter::Ascii], 2);
    expectNoPartFile();
}

// A folder under the final name makes the rename fail: reported, folder untouched, no
// temporary file.
TEST_F(Atomic, FailedRenameLeavesNoTemporaryFile) {
    std::filesystem::create_directories(out / "sub");
    writeFile(out / "sub" / "inside", "kept");
    platform::OutputFile file;
    ASSERT_FALSE(file.create(out / "sub"));
    const std::string bytes = "product";
    ASSERT_FALSE(file.write(std::as_bytes(std::span(bytes.data(), bytes.size()))));
    EXPECT_TRUE(file.commit());
    EXPECT_EQ(filesUnder(out), (Files{{"sub/inside", "kept"}}));
}

TEST_F(Atomic, UncommittedFileLeavesNothing) {
    leave("kept", "from an earlier run");
    {
        platform::OutputFile file;
        ASSERT_FALSE(file.create(out / "kept"));
        const std::string bytes = "half";
        ASSERT_FALSE(file.write(std::as_bytes(std::span(bytes.data(), bytes.size()))));
    }
    EXPECT_EQ(filesUnder(out), (Files{{"kept", "from an earlier run"}}));
}

}  // namespace
}  // namespace veltrane
