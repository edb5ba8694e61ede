#pragma once
// What the fault tests share: products of each kind small enough to read in a failure message,
// SIG files built in memory, the checks every faulty run must pass (no ".part" file left, every
// counted file on disk), and the two ways of filling a disk: a small tmpfs and RLIMIT_FSIZE.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <stop_token>
#include <string>
#include <vector>

#include "engine/extraction_run.h"
#include "engine/run_types.h"
#include "run_fixture.h"
#include "testdata/sig_writer.h"

namespace veltrane::testing_support {

// A 33-byte WMO heading, the part of a member no product keeps.
std::string heading();
// A complete GRIB edition-1 message of `body` bytes between its 8-byte start and "7777".
std::string gribMessage(std::size_t body);
// IMAG member data: heading, "IMAG" and `body` bytes of a pattern that holds no signature.
std::string imagMember(std::size_t body);
std::string textMember(std::size_t body);

// A TAR archive holding the members in order, with its end blocks.
std::string archiveOf(const std::vector<std::pair<std::string, std::string>>& members);

std::string sigWith(const std::function<void(testdata::SigWriter&)>& build);

// Temporary files a run of this process left behind anywhere under root.
std::vector<std::filesystem::path> partFilesUnder(const std::filesystem::path& root);

// Product files (everything but "TAR Files") under out, by path relative to out.
std::map<std::string, std::string> productsUnder(const std::filesystem::path& out);

// The counters of every product kind added up.
std::int64_t productsCounted(const RunCounters& counters);

// The scratch folder, host and output folder a fault test runs in.
template <class Host = RecordingHost>
class FaultTest : public testing::Test {
  protected:
    ScratchFolder scratch;
    Host host;
    std::filesystem::path out = scratch.path() / "out";

    void writeSig(const std::string& sig) {
        host.sig = scratch.path() / "feed.sig";
        writeFile(host.sig, sig);
    }

    RunReport run(std::stop_token stop = {}) {
        ExtractionRun extraction(host, out, std::move(stop));
        return extraction.RunExtraction();
    }

    RunReport runOver(const std::string& sig, std::stop_token stop = {}) {
        writeSig(sig);
        return run(std::move(stop));
    }

    void expectNoPartFile() const {
        EXPECT_EQ(partFilesUnder(scratch.path()), std::vector<std::filesystem::path>{});
    }
};

// A tmpfs of `bytes` mounted on folder for the object's life; mounted() is false where the
// system does not permit it (not root, no mount namespace), and the test should skip.
class SmallDisk {
  public:
    SmallDisk(const std::filesystem::path& folder, std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

  private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

// Limits the size of any file this process writes (RLIMIT_FSIZE) for the object's life, with
// SIGXFSZ ignored so that a write past the limit fails with EFBIG instead of killing the test.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

}  // namespace veltrane::testing_support
