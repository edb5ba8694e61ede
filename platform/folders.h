#pragma once

#include <filesystem>
#include <system_error>

namespace veltrane::platform {

// Makes the folder and any missing parents. A file standing where a folder must go is an error.
std::error_code makeFolders(const std::filesystem::path& folder);

// True when path names an existing folder (following links, as a user would expect).
bool isFolder(const std::filesystem::path& path);

}  // namespace veltrane::platform
