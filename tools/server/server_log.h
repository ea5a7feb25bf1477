#pragma once
// One line per event on standard error, filtered by the log level.
#include <string>
#include <string_view>

namespace kvx::server {

enum ServerLogLevel { kLogErrors = 1, kLogRefusals = 2, kLogEvents = 3, kLogDetails = 4 };

class ServerLog {
 public:
  explicit ServerLog(int level) : level_(level) {}
  void write(int level, const std::string& line) const;

 private:
  int level_;
};

// Bytes from a peer made safe for one log line: non-printable characters
// as \xNN.
std::string printable(std::string_view bytes);

}  // namespace kvx::server
