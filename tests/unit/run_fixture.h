#pragma once
// What the run tests share: a scratch folder, a host that records what the run tells it, and
// small readers for the output tree.

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/run_host.h"

namespace veltrane::testing_support {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

class RecordingHost : public RunHost {
  public:
    std::filesystem::path sig;
    KindSelection kinds = KindSelection::all();
    std::vector<std::int64_t> positions;  // SigPosition of every progress report
    std::vector<int> gauge;               // the percentage each report shows
    std::function<void(Counter, const std::filesystem::path&)> onFileWritten;
    std::function<void(const RunProgress&)> onProgress;

    std::filesystem::path sigFilePath() override { return sig; }
    KindSelection selectedKinds() override { return kinds; }
    void showProgress(const RunProgress& progress) override;
    void fileWritten(Counter kind, const std::filesystem::path& path) override;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// Every regular file under root, by path relative to root, with its bytes.
std::map<std::string, std::string> filesUnder(const std::filesystem::path& root);

}  // namespace veltrane::testing_support
