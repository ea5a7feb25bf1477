#include "server_options.h"

#include <charconv>
#include <cstring>

namespace kvx::server {

const char* const kServerUsage =
    "usage: kavrik-server [--listen HOST:PORT] [--max-conferences N] [--max-members N]\n"
    "                     [--login-timeout SECONDS] [--log-level 0-4]\n"
    "                     [--redis redis://HOST:PORT[/DB] [--node-name NAME]] [--version] [--help]\n"
    "  --listen HOST:PORT      address to accept viewers on (default 0.0.0.0:443; port 0 picks a free one)\n"
    "  --max-conferences N     conferences held at once (default 10000)\n"
    "  --max-members N         members of one conference (default 64)\n"
    "  --login-timeout SECONDS time a connection has to log in (default 10)\n"
    "  --log-level 0-4         0 silent, 1 errors, 2 refusals and drops, 3 events (default), 4 details\n"
    "  --redis URL             share conferences with other nodes through this Redis; needs\n"
    "                          KAVRIK_CLUSTER_SECRET, reads KAVRIK_REDIS_PASSWORD when set\n"
    "  --node-name NAME        this node's name among the others (default: host name and pid)\n";

namespace {
bool parseInt(const std::string& text, int low, int high, int& value) {
  int parsed = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (failure != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) return false;
  value = parsed;
  return true;
}

// HOST:PORT, with an IPv6 host in brackets.
bool parseListen(const std::string& text, std::string& host, std::string& port) {
  size_t colon;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':') return false;
    host = text.substr(1, close - 1);
    colon = close + 1;
  } else {
    colon = text.rfind(':');
    if (colon == std::string::npos) return false;
    host = text.substr(0, colon);
  }
  port = text.substr(colon + 1);
  int number;
  return !host.empty() && parseInt(port, 0, 65535, number);
}
}  // namespace

bool parseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::string value;
    bool hasValue = false;
    if (const size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      hasValue = true;
    }
    if (name == "--version" || name == "--help") {
      (name == "--version" ? options.showVersion : options.showHelp) = true;
      continue;
    }
    struct Numeric {
      const char* name;
      int low, high;
      int* target;
    } numerics[] = {
        {"--max-conferences", 1, 1000000, &options.maxConferences},
        {"--max-members", 1, 10000, &options.maxMembers},
        {"--login-timeout", 1, 3600, &options.loginTimeoutSeconds},
        {"--log-level", 0, 4, &options.logLevel},
    };
    const Numeric* numeric = nullptr;
    for (const Numeric& n : numerics)
      if (name == n.name) numeric = &n;
    std::string* text = name == "--redis" ? &options.redisUrl : name == "--node-name" ? &options.nodeName : nullptr;
    if (!numeric && !text && name != "--listen") {
      error = "unknown option " + name;
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= argc) {
        error = name + " needs a value";
        return false;
      }
      value = argv[++i];
    }
    if (text) {
      // Node names go into member names and Redis keys.
      if (value.empty() || (text == &options.nodeName && value.find_first_of("/ \n") != std::string::npos)) {
        error = name + " takes a value without blanks or slashes, not \"" + value + "\"";
        return false;
      }
      *text = value;
    } else if (numeric) {
      if (!parseInt(value, numeric->low, numeric->high, *numeric->target)) {
        error = name + " takes a number from " + std::to_string(numeric->low) + " to " +
                std::to_string(numeric->high) + ", not \"" + value + "\"";
        return false;
      }
    } else if (!parseListen(value, options.host, options.port)) {
      error = "--listen takes HOST:PORT, not \"" + value + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace kvx::server
