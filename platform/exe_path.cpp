#include "platform/exe_path.h"

namespace veltrane::platform {

std::filesystem::path executableFolder() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path(error);
    }
    return self.parent_path();
}

}  // namespace veltrane::platform
