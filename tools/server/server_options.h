#pragma once
// The command line of kavrik-server.
#include <string>

namespace kvx::server {

struct ServerOptions {
  std::string host = "0.0.0.0";
  std::string port = "443";
  int maxConferences = 10000;
  int maxMembers = 64;
  int loginTimeoutSeconds = 10;
  int logLevel = 3;
  std::string redisUrl;  // empty: working alone
  std::string nodeName;
  bool showVersion = false;
  bool showHelp = false;
};

// False with `error` set for a usage error.
bool parseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error);

extern const char* const kServerUsage;

}  // namespace kvx::server
