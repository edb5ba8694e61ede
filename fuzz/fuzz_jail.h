#pragma once
// What the fuzz targets share: a scratch folder per process that every input is run in, a host
// that keeps every file the run says it wrote, and the checks that abort on the faults a crash
// alone would not show: a file outside the output folder, a temporary ".part" file left behind,
// a counted file that is not there.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/run_host.h"
#include "engine/run_types.h"

namespace veltrane::fuzzing {

class Jail {
  public:
    // inputName: the one file the target itself puts beside the output folder.
    explicit Jail(std::string inputName);
    ~Jail();
    Jail(const Jail&) = delete;
    Jail& operator=(const Jail&) = delete;

    const std::filesystem::path& input() const { return input_; }
    const std::filesystem::path& out() const { return out_; }

    // Empties the jail and writes the input file.
    void prepare(const std::uint8_t* data, std::size_t size);

    // Aborts unless the root holds the input and the output folder alone, and the output folder
    // holds only kind folders, regular files and folders, and no temporary file. A file the run
    // reported as written is a product even when a member's name made it look like a temporary.
    void checkTree(const std::set<std::filesystem::path>& reported) const;

  private:
    std::filesystem::path root_;
    std::filesystem::path input_;
    std::filesystem::path out_;
};

class CheckingHost : public RunHost {
  public:
    CheckingHost(std::filesystem::path sig, KindSelection kinds)
        : sig_(std::move(sig)), kinds_(kinds) {}

    std::filesystem::path sigFilePath() override { return sig_; }
    KindSelection selectedKinds() override { return kinds_; }
    void showProgress(const RunProgress&) override {}
    void fileWritten(Counter kind, const std::filesystem::path& path) override {
        written_.emplace_back(kind, path);
    }

    // Aborts unless the counters add up to the files reported written, and every one of them
    // stands, as a regular file, in its kind's folder under out.
    void checkWritten(const RunCounters& counters, const std::filesystem::path& out) const;
    std::set<std::filesystem::path> reportedPaths() const;

  private:
    std::filesystem::path sig_;
    KindSelection kinds_;
    std::vector<std::pair<Counter, std::filesystem::path>> written_;
};

// Both checks, and that the run did not think it was stopped.
void checkAfterRun(const Jail& jail, const CheckingHost& host, const RunCounters& counters,
                   const RunReport& report);

}  // namespace veltrane::fuzzing
