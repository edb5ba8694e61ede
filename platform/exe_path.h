#pragma once

#include <filesystem>

namespace veltrane::platform {

// Folder of the running executable; the current folder when the host cannot tell.
std::filesystem::path executableFolder();

}  // namespace veltrane::platform
