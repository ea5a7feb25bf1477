#pragma once
// The files opened last, newest first, kept in the preferences store as
// "recentFile0".."recentFile9".
#include "preferences.h"

#include <string>
#include <vector>

namespace kavrik {

inline constexpr size_t kRecentFileCount = 10;

std::vector<std::string> recentFiles(const PreferencesStore& store);

// `path` moved (or added) to the front; the oldest beyond the limit drop out.
std::vector<std::string> withRecentFile(std::vector<std::string> files, const std::string& path);

// Stores the list with `path` first; false when the store cannot be written.
bool rememberRecentFile(PreferencesStore& store, const std::string& path);
// Stores the list without `path` (a file that is gone).
bool forgetRecentFile(PreferencesStore& store, const std::string& path);

// The menu label of entry `index`: "&1 name  (folder)"; an ampersand in a
// name is doubled so that it shows.
std::string recentFileLabel(size_t index, const std::string& path);

}  // namespace kavrik
