#include "conference_settings.h"

#include <cstdlib>

namespace kvx::conf {

ConferenceSettings loadConferenceSettings(const SettingGetter& get, const std::string& loginName) {
  ConferenceSettings s;
  s.hosts = HostList::fromSetting(get("conferenceHosts").value_or(""));
  s.pseudonym = get("conferencePseudo").value_or(loginName.empty() ? "UnknownUser" : loginName);
  s.proxyHost = get("conferenceHttpProxyHost").value_or("");
  s.proxyPort = get("conferenceHttpProxyPort").value_or("");
  s.useProxy = std::atoi(get("conferenceUseHttpProxy").value_or("0").c_str()) != 0;
  s.proxyUser = get("conferenceHttpProxyUser").value_or("");
  return s;
}

void saveConferenceSettings(const ConferenceSettings& s, const SettingSetter& set) {
  if (!s.hosts.entries().empty()) set("conferenceHosts", s.hosts.toSetting());
  set("conferencePseudo", s.pseudonym);
  set("conferenceHttpProxyHost", s.proxyHost);
  set("conferenceHttpProxyPort", s.proxyPort);
  set("conferenceUseHttpProxy", s.useProxy ? "1" : "0");
  set("conferenceHttpProxyUser", s.proxyUser);
}

}  // namespace kvx::conf
