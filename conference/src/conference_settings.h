#pragma once
// The conference window's settings in the user preferences: the host list,
// pseudonym and proxy. Reached through get and set functions so that the
// rules need no window and no particular store.
#include <functional>
#include <optional>
#include <string>

#include "host_list.h"

namespace kvx::conf {

struct ConferenceSettings {
  HostList hosts;
  std::string pseudonym;
  std::string proxyHost, proxyPort;
  bool useProxy = false;
  std::string proxyUser;
};

using SettingGetter = std::function<std::optional<std::string>(const std::string& key)>;
using SettingSetter = std::function<bool(const std::string& key, const std::string& value)>;

// Missing keys give the defaults: the default host, `loginName` (or
// "UnknownUser" when empty) as pseudonym, no proxy.
ConferenceSettings loadConferenceSettings(const SettingGetter& get, const std::string& loginName);
// Writes all six keys ("conferenceHosts" only when the list is not empty).
void saveConferenceSettings(const ConferenceSettings& settings, const SettingSetter& set);

}  // namespace kvx::conf
