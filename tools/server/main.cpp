// kavrik-server: relays conference messages between viewers.
#include <asio.hpp>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cluster_node.h"
#include "conference_server.h"
#include "redis_backend.h"
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
  const char* secret = std::getenv("KAVRIK_CLUSTER_SECRET");
  RedisAddress redisAddress;
  if (!options.redisUrl.empty()) {
    if (!parseRedisAddress(options.redisUrl, redisAddress, error)) {
      std::fprintf(stderr, "kavrik-server: %s\n", error.c_str());
      return 2;
    }
    // The nodes must name conferences alike, and never by their passwords.
    if (!secret || !*secret) {
      std::fprintf(stderr, "kavrik-server: --redis needs the secret shared by the nodes in KAVRIK_CLUSTER_SECRET\n");
      return 2;
    }
  }
  std::signal(SIGPIPE, SIG_IGN);
  kvx::conf::setReceiveLimits(kvx::conf::kConferenceMaxLength, kvx::conf::kConferenceMaxType);

  asio::io_context io(1);
  ServerLog log(options.logLevel);
  ConferenceServer server(io, options, log, options.redisUrl.empty() ? "" : secret);
  std::unique_ptr<ClusterNode> node;
  if (!options.redisUrl.empty()) {
    std::string nodeName = options.nodeName;
    if (nodeName.empty()) {
      char host[256] = {};
      gethostname(host, sizeof host - 1);
      nodeName = std::string(host) + "-" + std::to_string(getpid());
    }
    const char* password = std::getenv("KAVRIK_REDIS_PASSWORD");
    auto redis = std::make_unique<RedisBackend>(
        io, redisAddress, password ? password : "", nodeName, log,
        [&server](const std::string& key, const Delivery& delivery) { server.deliver(key, delivery); },
        [&node] {
          if (node) node->restore();
        });
    // Tests shorten the status period; operators have no reason to.
    const char* statusMs = std::getenv("KAVRIK_STATUS_INTERVAL_MS");
    const int period = statusMs ? std::atoi(statusMs) : 0;
    node = std::make_unique<ClusterNode>(io, server, *redis, log,
                                         period > 0 ? std::chrono::milliseconds(period) : ClusterNode::kStatusPeriod);
    server.setNodeName(nodeName);
    server.setBackend(std::move(redis));
  }
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
  if (node) node->start();

  io.run();
  return 0;
}
