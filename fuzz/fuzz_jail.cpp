#include "fuzz_jail.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>

#include "engine/product_kinds.h"
#include "platform/file_io.h"

namespace veltrane::fuzzing {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fault(const std::string& what, const fs::path& path) {
    std::fprintf(stderr, "FUZZ FAULT: %s: %s\n", what.c_str(), path.c_str());
    std::abort();
}

std::set<std::string> kindFolders() {
    std::set<std::string> folders{std::string(products::kTarFolder)};
    for (const products::KindInfo& info : products::kKinds) {
        folders.emplace(info.folder);
    }
    return folders;
}

std::string_view folderOf(Counter counter) {
    if (counter == Counter::Tar) {
        return products::kTarFolder;
    }
    const auto kind =
        std::find_if(products::kKinds.begin(), products::kKinds.end(),
                     [&](const products::KindInfo& info) { return info.counter == counter; });
    return kind->folder;
}

}  // namespace

Jail::Jail(std::string inputName) {
    std::string pattern = fs::temp_directory_path() / "veltrane-fuzz.XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        fault("cannot make the scratch folder", pattern);
    }
    root_ = pattern;
    input_ = root_ / inputName;
    out_ = root_ / "out";
}

Jail::~Jail() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void Jail::prepare(const std::uint8_t* data, std::size_t size) {
    std::error_code error;
    fs::remove_all(out_, error);
    if (error) {
        fault("cannot empty the output folder", out_);
    }
    std::ofstream file(input_, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file.flush()) {
        fault("cannot write the input", input_);
    }
}

void Jail::checkTree(const std::set<fs::path>& reported) const {
    for (const auto& entry : fs::directory_iterator(root_)) {
        if (entry.path() != input_ && entry.path() != out_) {
            fault("written outside the output folder", entry.path());
        }
    }
    if (!fs::exists(out_)) {
        return;
    }
    static const std::set<std::string> folders = kindFolders();
    for (const auto& entry : fs::directory_iterator(out_)) {
        if (!folders.contains(entry.path().filename().string())) {
            fault("written beside the kind folders", entry.path());
        }
    }
    for (const auto& entry : fs::recursive_directory_iterator(out_)) {
        const auto status = entry.symlink_status();
        if (!fs::is_regular_file(status) && !fs::is_directory(status)) {
            fault("neither a file nor a folder", entry.path());
        }
        if (platform::isOwnTemporaryName(entry.path().filename().string()) &&
            !reported.contains(entry.path())) {
            fault("temporary file left behind", entry.path());
        }
    }
}

void CheckingHost::checkWritten(const RunCounters& counters, const fs::path& out) const {
    std::int64_t counted = 0;
    for (const std::int64_t value : counters.values) {
        counted += value;
    }
    if (counted != static_cast<std::int64_t>(written_.size())) {
        fault("counters (" + std::to_string(counted) + ") differ from the files reported (" +
                  std::to_string(written_.size()) + ")",
              out);
    }
    for (const auto& [counter, path] : written_) {
        const fs::path relative = path.lexically_relative(out / folderOf(counter));
        if (relative.empty() || *relative.begin() == "..") {
            fault("reported outside its kind's folder", path);
        }
        if (!fs::is_regular_file(fs::symlink_status(path))) {
            fault("reported written but not there", path);
        }
    }
}

std::set<fs::path> CheckingHost::reportedPaths() const {
    std::set<fs::path> paths;
    for (const auto& entry : written_) {
        paths.insert(entry.second);
    }
    return paths;
}

void checkAfterRun(const Jail& jail, const CheckingHost& host, const RunCounters& counters,
                   const RunReport& report) {
    if (report.stopped) {
        fault("the run says it was stopped", jail.input());
    }
    jail.checkTree(host.reportedPaths());
    host.checkWritten(counters, jail.out());
}

}  // namespace veltrane::fuzzing
