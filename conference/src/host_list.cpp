#include "host_list.h"

#include <algorithm>
#include <sstream>

namespace kvx::conf {

HostList HostList::fromSetting(const std::string& value) {
  HostList list;
  std::istringstream in(value);
  for (std::string entry; in >> entry;)
    if (std::find(list.entries_.begin(), list.entries_.end(), entry) == list.entries_.end() &&
        list.entries_.size() + 1 < kHostListLimit)
      list.entries_.push_back(entry);
  if (list.entries_.empty()) list.entries_.push_back(kDefaultConferenceHost);
  return list;
}

std::string HostList::toSetting() const {
  std::string value;
  for (const auto& entry : entries_) value += entry + " ";
  return value;
}

void HostList::remember(const std::string& entry) {
  entries_.erase(std::remove(entries_.begin(), entries_.end(), entry), entries_.end());
  entries_.insert(entries_.begin(), entry);
  while (entries_.size() >= kHostListLimit) entries_.pop_back();
}

void splitHostPort(const std::string& field, std::string& host, std::string& port) {
  const auto colon = field.find(':');
  host = field.substr(0, colon);
  port = colon == std::string::npos ? "443" : field.substr(colon + 1);
}

}  // namespace kvx::conf
