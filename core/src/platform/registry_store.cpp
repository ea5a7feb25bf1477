#include "platform/registry_store.h"

#include "platform/folders.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <unistd.h>

namespace kvx::registry {
namespace {

// A hive file holds one entry per line: key TAB name TAB value, with
// backslash escapes for backslash, tab and line breaks in each field.
// A key without values is kept as a line with the name field "\k".
struct Entry {
  std::string key, name, value;
  bool keyOnly = false;
};

const char* hiveFileName(Hive hive) {
  switch (hive) {
    case Hive::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case Hive::CurrentUser: return "HKEY_CURRENT_USER";
    case Hive::ClassesRoot: return "HKEY_CLASSES_ROOT";
  }
  return "HKEY_UNKNOWN";
}

std::string escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

bool sameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

// True when `key` is `parent` or lies below it.
bool isAtOrBelow(const std::string& key, const std::string& parent) {
  if (parent.empty()) return true;
  if (key.size() < parent.size() || strncasecmp(key.c_str(), parent.c_str(), parent.size()) != 0)
    return false;
  return key.size() == parent.size() || key[parent.size()] == '\\';
}

std::string trimSlashes(std::string key) {
  while (!key.empty() && key.back() == '\\') key.pop_back();
  while (!key.empty() && key.front() == '\\') key.erase(0, 1);
  return key;
}

std::string hivePath(Hive hive) { return storeFolder() + hiveFileName(hive); }

std::vector<Entry> load(Hive hive) {
  std::vector<Entry> entries;
  std::ifstream in(hivePath(hive));
  std::string line;
  while (std::getline(in, line)) {
    size_t t1 = line.find('\t');
    if (t1 == std::string::npos) continue;
    size_t t2 = line.find('\t', t1 + 1);
    std::string nameField = line.substr(t1 + 1, t2 == std::string::npos ? std::string::npos : t2 - t1 - 1);
    Entry e;
    e.key = unescape(line.substr(0, t1));
    if (nameField == "\\k") {
      e.keyOnly = true;
    } else {
      if (t2 == std::string::npos) continue;
      e.name = unescape(nameField);
      e.value = unescape(line.substr(t2 + 1));
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

bool save(Hive hive, const std::vector<Entry>& entries) {
  if (!ensureFolder(storeFolder())) return false;
  std::string path = hivePath(hive);
  std::string tmp = path + ".tmp." + std::to_string(getpid());
  {
    std::ofstream out(tmp, std::ios::trunc);
    if (!out) return false;
    for (const Entry& e : entries) {
      out << escape(e.key) << '\t';
      if (e.keyOnly)
        out << "\\k\n";
      else
        out << escape(e.name) << '\t' << escape(e.value) << '\n';
    }
    out.flush();
    if (!out) {
      std::remove(tmp.c_str());
      return false;
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string storeFolder() {
  std::string dir;
  if (const char* env = std::getenv("KAVRIK_REGISTRY_DIR"); env && *env)
    dir = env;
  else
    dir = configHome() + "/kavrik/registry";
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::optional<std::string> getString(Hive hive, const std::string& key, const std::string& name) {
  std::string k = trimSlashes(key);
  for (const Entry& e : load(hive))
    if (!e.keyOnly && sameText(e.key, k) && sameText(e.name, name)) return e.value;
  return std::nullopt;
}

bool setString(Hive hive, const std::string& key, const std::string& name, const std::string& value) {
  std::string k = trimSlashes(key);
  std::vector<Entry> entries = load(hive);
  auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
    return !e.keyOnly && sameText(e.key, k) && sameText(e.name, name);
  });
  if (it != entries.end())
    it->value = value;
  else
    entries.push_back({k, name, value, false});
  // A value makes the key exist, so a placeholder line is no longer needed.
  std::erase_if(entries, [&](const Entry& e) { return e.keyOnly && sameText(e.key, k); });
  return save(hive, entries);
}

bool createKey(Hive hive, const std::string& key) {
  std::string k = trimSlashes(key);
  if (k.empty()) return false;
  std::vector<Entry> entries = load(hive);
  if (std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return sameText(e.key, k); }))
    return true;
  entries.push_back({k, "", "", true});
  return save(hive, entries);
}

bool keyExists(Hive hive, const std::string& key) {
  std::string k = trimSlashes(key);
  for (const Entry& e : load(hive))
    if (isAtOrBelow(e.key, k)) return true;
  return false;
}

bool deleteValue(Hive hive, const std::string& key, const std::string& name) {
  std::string k = trimSlashes(key);
  std::vector<Entry> entries = load(hive);
  size_t removed = std::erase_if(entries, [&](const Entry& e) {
    return !e.keyOnly && sameText(e.key, k) && sameText(e.name, name);
  });
  if (removed == 0) return false;
  // Keep the key itself, as deleting a value does not delete its key.
  if (std::none_of(entries.begin(), entries.end(), [&](const Entry& e) { return sameText(e.key, k); }))
    entries.push_back({k, "", "", true});
  return save(hive, entries);
}

bool deleteKey(Hive hive, const std::string& key) {
  std::string k = trimSlashes(key);
  if (k.empty()) return false;
  std::vector<Entry> entries = load(hive);
  size_t removed = std::erase_if(entries, [&](const Entry& e) { return isAtOrBelow(e.key, k); });
  return removed > 0 && save(hive, entries);
}

std::vector<std::string> subkeys(Hive hive, const std::string& key) {
  std::string k = trimSlashes(key);
  std::vector<std::string> names;
  for (const Entry& e : load(hive)) {
    if (!isAtOrBelow(e.key, k) || e.key.size() == k.size()) continue;
    std::string rest = e.key.substr(k.empty() ? 0 : k.size() + 1);
    std::string child = rest.substr(0, rest.find('\\'));
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return sameText(n, child); }))
      names.push_back(child);
  }
  return names;
}

}  // namespace kvx::registry
