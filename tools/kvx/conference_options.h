#pragma once
// The options of `kvx conference`.
#include <optional>
#include <string>
#include <vector>

namespace kvx::tool {

struct ConferenceOptions {
  std::string hostField;  // HOST[:PORT]
  std::string scene;
  std::string password;
  std::string pseudonym;
  bool create = false;
  std::string proxy;  // HOST:PORT, empty for a direct connection
  std::string proxyUser, proxyPassword;
  int afterViews = 0;
  std::vector<std::string> chat;
  bool becomeMaster = false;
  int views = 0;
  bool release = true;
  double linger = 0;
  std::string snapshot;
};

// A usage message, or nothing when the arguments are fine. Passwords not
// given on the command line come from KAVRIK_CONFERENCE_PASSWORD and
// KAVRIK_PROXY_PASSWORD.
std::optional<std::string> parseConferenceOptions(const std::vector<std::string>& args, ConferenceOptions& o);

}  // namespace kvx::tool
