#pragma once
// The user preferences store: "key=value" lines in one text file, held in a
// map ordered by key. Every change rewrites the whole file.
#include <map>
#include <optional>
#include <string>

namespace kavrik {

class PreferencesStore {
 public:
  // Reads the file, creating it when missing. When it cannot be opened the
  // store stays empty and every set() fails.
  explicit PreferencesStore(std::string path);

  std::optional<std::string> get(const std::string& key) const;
  // Stores the value and rewrites the file; false when the file is not
  // usable or the key or value would not survive a reload.
  bool set(const std::string& key, const std::string& value);

  bool usable() const { return usable_; }
  const std::string& path() const { return path_; }

  // Adds one line's entry to `entries` by the store's parsing rules.
  static void parseLine(std::string line, std::map<std::string, std::string>& entries);

 private:
  bool rewrite() const;

  std::string path_;
  bool usable_ = false;
  std::map<std::string, std::string> entries_;
};

// The program's store on the preferences file of the path table, opened on
// first use and kept for the life of the process.
PreferencesStore& preferences();

}  // namespace kavrik
