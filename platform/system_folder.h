#pragma once
// Where the program keeps the settings it shares across runs: on Linux the user's
// configuration folder, standing in for the Windows folder where the placement file lived.

#include <filesystem>

namespace veltrane::platform {

// $XDG_CONFIG_HOME when it is set to an absolute path; else $HOME/.config when HOME is an
// absolute path; else the account's home folder/.config; else, as a last resort, the current
// folder. Relative settings are ignored: they would name a different file depending on the
// folder the program was started from. Call this once at start and keep the result, so the file
// read at start is the one written at shutdown. The folder may not exist yet: writers make it
// (makeFolders).
std::filesystem::path systemSettingsFolder();

// The About window's placement file, "DllCrt" in systemSettingsFolder().
std::filesystem::path placementFilePath();

}  // namespace veltrane::platform
