// kavrik-server: relays conference messages between viewers.
#include <asio.hpp>
#include <csignal>
#include <cstdio>

#include "conference_server.h"
#include "server_log.h"
#include "server_options.h"
#include "tl_msg.h"

int main(int argc, char** argv) {
  using namespace kvx::server;
  ServerOptions options;
  std::string error;
  if (!parseServerOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "kavrik-server: %s\n%s", error.c_str(), kServerUsage);
    return 2;
  }
  if (options.showHelp) {
    std::fputs(kServerUsage, stdout);
    return 0;
  }
  if (options.showVersion) {
    std::printf("kavrik-server %s\n", KVX_VERSION);
    return 0;
  }
  std::signal(SIGPIPE, SIG_IGN);
  kvx::conf::setReceiveLimits(kvx::conf::kConferenceMaxLength, kvx::conf::kConferenceMaxType);

  asio::io_context io(1);
  ServerLog log(options.logLevel);
  ConferenceServer server(io, options, log);
  // Before the first line, which tells a supervisor it may signal us.
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](const asio::error_code&, int signal) {
    log.write(kLogEvents, std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
    server.stop();
    io.stop();
  });
  if (!server.listen(error)) {
    std::fprintf(stderr, "kavrik-server: %s\n", error.c_str());
    return 1;
  }
  std::printf("kavrik-server listening on %s\n", server.boundAddress().c_str());
  std::fflush(stdout);

  io.run();
  return 0;
}
