// Arbitrary bytes as the preferences file. The first byte says where the
// rest splits into a key and a value to store; a value the store accepts
// must read back after the file is opened again.
#include "fuzz_entries.h"
#include "fuzz_files.h"
#include "preferences.h"

#include <cstdlib>

namespace kvx::fuzz {

int preferences(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string path = inputFile(".preferences", data + 1, size - 1);
  if (path.empty()) return 0;
  const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t split = std::min<size_t>(data[0] % 32, rest.size());
  const std::string key = rest.substr(0, split);
  const std::string value = rest.substr(split, 64);

  kavrik::PreferencesStore store(path);
  (void)store.get("LastDirectory");
  if (!store.set(key, value)) return 0;
  kavrik::PreferencesStore reopened(path);
  if (reopened.get(key) != value) std::abort();
  return 0;
}

}  // namespace kvx::fuzz
