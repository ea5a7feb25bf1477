#include "preferences.h"

#include "program_paths.h"
#include "services/debuglog.h"
#include "services/file_content.h"

#include <cstdio>
#include <unistd.h>

namespace kavrik {
namespace {

constexpr size_t kMaxLineLength = 1023;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void PreferencesStore::parseLine(std::string line, std::map<std::string, std::string>& entries) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  size_t at = 0;
  while (at < line.size() && isBlank(line[at])) ++at;
  size_t keyEnd = at;
  while (keyEnd < line.size() && !isBlank(line[keyEnd]) && line[keyEnd] != '=') ++keyEnd;
  if (keyEnd == at) return;
  size_t valueStart = keyEnd;
  bool sawEquals = false;
  while (valueStart < line.size() && (isBlank(line[valueStart]) || line[valueStart] == '=')) {
    sawEquals |= line[valueStart] == '=';
    ++valueStart;
  }
  if (!sawEquals) return;
  entries[line.substr(at, keyEnd - at)] = line.substr(valueStart);
}

PreferencesStore::PreferencesStore(std::string path) : path_(std::move(path)) {
  if (path_.empty()) return;
  FILE* file = std::fopen(path_.c_str(), "a+");
  if (!file) {
    KVX_LOG(kvx::LOG_WARNING, "PreferencesStore: cannot open %s\n", path_.c_str());
    return;
  }
  usable_ = true;
  std::rewind(file);
  std::string line;
  int c;
  // A line longer than the limit keeps its first part; the rest of it is
  // not taken for a line of its own.
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\n') {
      parseLine(line, entries_);
      line.clear();
    } else if (line.size() < kMaxLineLength) {
      line.push_back(static_cast<char>(c));
    }
  }
  if (!line.empty()) parseLine(line, entries_);
  std::fclose(file);
}

std::optional<std::string> PreferencesStore::get(const std::string& key) const {
  auto found = entries_.find(key);
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

bool PreferencesStore::set(const std::string& key, const std::string& value) {
  if (!usable_ || key.empty()) return false;
  for (char c : key)
    if (isBlank(c) || c == '=' || c == '\n' || c == '\r') return false;
  for (char c : value)
    if (c == '\n' || c == '\r') return false;
  // A reload skips blanks and '=' before the value.
  if (!value.empty() && (isBlank(value.front()) || value.front() == '=')) return false;
  if (key.size() + 1 + value.size() > kMaxLineLength) return false;
  auto previous = entries_.find(key);
  std::optional<std::string> old = previous == entries_.end() ? std::nullopt : std::optional(previous->second);
  entries_[key] = value;
  if (rewrite()) return true;
  if (old)
    entries_[key] = *old;
  else
    entries_.erase(key);
  return false;
}

// Written beside the file and renamed over it, so that a full disk never
// leaves a half-written store behind.
bool PreferencesStore::rewrite() const {
  std::string content;
  for (const auto& [key, value] : entries_) content += key + "=" + value + "\n";
  if (kvx::replaceFileContent(path_, content)) return true;
  KVX_LOG(kvx::LOG_ERROR, "PreferencesStore::set: cannot rewrite %s\n", path_.c_str());
  return false;
}

PreferencesStore& preferences() {
  static PreferencesStore store(programPaths().preferences);
  return store;
}

}  // namespace kavrik
