#pragma once
// The recently used conference servers, newest first, as the
// "conferenceHosts" setting keeps them.
#include <string>
#include <vector>

namespace kvx::conf {

// The entry used when nothing is stored: the port kavrik-server listens on.
constexpr const char* kDefaultConferenceHost = "localhost:443";
constexpr size_t kHostListLimit = 10;

class HostList {
 public:
  // Splits the stored value at spaces; the default entry when it is empty.
  static HostList fromSetting(const std::string& value);
  // Every entry followed by one space.
  std::string toSetting() const;
  // Moves `entry` to the front (once), then keeps fewer than the limit.
  void remember(const std::string& entry);
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

// Splits "host[:port]" at the first ':'; without one the port is "443".
void splitHostPort(const std::string& field, std::string& host, std::string& port);

}  // namespace kvx::conf
