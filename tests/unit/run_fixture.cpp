#include "run_fixture.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace veltrane::testing_support {

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "veltrane-test.XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder");
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void RecordingHost::showProgress(const RunProgress& progress) {
    positions.push_back(progress.SigPosition);
    gauge.push_back(gaugePercent(progress.SigPosition, progress.SigFileSize));
    if (onProgress) {
        onProgress(progress);
    }
}

void RecordingHost::fileWritten(Counter kind, const std::filesystem::path& path) {
    if (onFileWritten) {
        onFileWritten(kind, path);
    }
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::map<std::string, std::string> filesUnder(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    if (!std::filesystem::exists(root)) {
        return files;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), root).string()] = readFile(entry.path());
        }
    }
    return files;
}

}  // namespace veltrane::testing_support
