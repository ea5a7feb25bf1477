#include "server_log.h"

#include <cstdio>

namespace kvx::server {

void ServerLog::write(int level, const std::string& line) const {
  if (level > level_) return;
  std::fprintf(stderr, "kavrik-server: %s\n", line.c_str());
  std::fflush(stderr);
}

std::string printable(std::string_view bytes) {
  std::string text;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      text += static_cast<char>(c);
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      text += escaped;
    }
  }
  return text;
}

}  // namespace kvx::server
