#include "platform/system_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace veltrane::platform {
namespace {

std::filesystem::path absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return {};
    }
    std::filesystem::path path(value);
    return path.is_absolute() ? path : std::filesystem::path();
}

std::filesystem::path accountHomeFolder() {
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0) {
        bufferSize = 16384;
    }
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    std::filesystem::path home(found->pw_dir);
    return home.is_absolute() ? home : std::filesystem::path();
}

}  // namespace

std::filesystem::path systemSettingsFolder() {
    if (auto config = absoluteFromEnvironment("XDG_CONFIG_HOME"); !config.empty()) {
        return config;
    }
    if (auto home = absoluteFromEnvironment("HOME"); !home.empty()) {
        return home / ".config";
    }
    if (auto home = accountHomeFolder(); !home.empty()) {
        return home / ".config";
    }
    std::error_code error;
    auto current = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : current;
}

std::filesystem::path placementFilePath() {
    return systemSettingsFolder() / "DllCrt";
}

}  // namespace veltrane::platform
