#pragma once
// Stand-in for the system registry: one small text file per hive in
// $KAVRIK_REGISTRY_DIR (default ${XDG_CONFIG_HOME:-$HOME/.config}/kavrik/registry/).
// Key paths keep their backslash spelling; keys and value names compare
// without regard to letter case, as the registry does.
#include <optional>
#include <string>
#include <vector>

namespace kvx::registry {

enum class Hive { LocalMachine, CurrentUser, ClassesRoot };

// Folder holding the hive files.
std::string storeFolder();

std::optional<std::string> getString(Hive hive, const std::string& key, const std::string& name);
// Creates the key when missing. The hive file is replaced atomically.
bool setString(Hive hive, const std::string& key, const std::string& name, const std::string& value);
bool createKey(Hive hive, const std::string& key);
bool keyExists(Hive hive, const std::string& key);
// Removes one value; true when it existed.
bool deleteValue(Hive hive, const std::string& key, const std::string& name);
// Removes the key, its values and every subkey below it.
bool deleteKey(Hive hive, const std::string& key);
// Direct subkey names of a key, in stored order.
std::vector<std::string> subkeys(Hive hive, const std::string& key);

}  // namespace kvx::registry
