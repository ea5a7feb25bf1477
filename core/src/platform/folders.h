#pragma once
// Where the system keeps its files on Linux, in place of drive-rooted folders.
#include <optional>
#include <string>

namespace kvx {

std::string configHome();  // ${XDG_CONFIG_HOME:-$HOME/.config}
std::string dataHome();    // ${XDG_DATA_HOME:-$HOME/.local/share}

// Installation folder used when none is registered: <dataHome>/kavrik.
std::string fallbackInstallFolder();
// Folder of the core's debug log and texture dumps, with a final "/";
// created on first use.
std::string stateFolder();
// $TMPDIR, else /tmp, without a final "/".
std::string tempFolder();
// A new private folder under the temporary folder (mkdtemp), or nothing.
std::optional<std::string> makePrivateTempFolder(const std::string& prefix);

// Creates a folder and its missing parents; true when it exists afterwards.
bool ensureFolder(const std::string& path);
bool folderExists(const std::string& path);
bool fileExists(const std::string& path);

// Login name of the effective user, "UnknownUser" when it cannot be read.
std::string userLoginName();

}  // namespace kvx
