// Arbitrary bytes as a hive file of the registry store. Reading must not
// fail on it, a value stored must read back as it was, and storing the same
// value twice must leave the file as the first store wrote it.
#include "fuzz_entries.h"
#include "fuzz_files.h"
#include "platform/registry_store.h"
#include "services/file_content.h"

#include <cstdlib>

namespace kvx::fuzz {

int registry_store(const uint8_t* data, size_t size) {
  if (scratchFolder().empty()) return 0;
  // Set on every call: the replay test restores the variable between targets.
  if (setenv("KAVRIK_REGISTRY_DIR", scratchFolder().c_str(), 1) != 0) return 0;
  const std::string hiveFile = registry::storeFolder() + "HKEY_CURRENT_USER";
  if (!replaceFileContent(hiveFile, std::string(reinterpret_cast<const char*>(data), size))) return 0;

  using registry::Hive;
  (void)registry::subkeys(Hive::CurrentUser, "Software");
  (void)registry::keyExists(Hive::CurrentUser, "Software\\Kavrik");
  (void)registry::getString(Hive::CurrentUser, "Software\\Kavrik", "Path");

  // The value is the input's start, with whatever separators it holds.
  const std::string value(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  const std::string key = "Software\\Kavrik\\Fuzz";
  if (!registry::setString(Hive::CurrentUser, key, "Value", value)) return 0;
  if (registry::getString(Hive::CurrentUser, key, "Value") != value) std::abort();
  const auto first = readFileContent(hiveFile);
  if (!registry::setString(Hive::CurrentUser, key, "Value", value)) return 0;
  if (readFileContent(hiveFile) != first) std::abort();
  (void)registry::deleteKey(Hive::CurrentUser, "Software");
  return 0;
}

}  // namespace kvx::fuzz
