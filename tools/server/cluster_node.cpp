#include "cluster_node.h"

#include "conference.h"
#include "conference_server.h"
#include "redis_backend.h"
#include "server_log.h"
#include "session.h"

namespace kvx::server {

ClusterNode::ClusterNode(asio::io_context& io, ConferenceServer& server, RedisBackend& redis, const ServerLog& log,
                         std::chrono::milliseconds statusPeriod)
    : server_(server), redis_(redis), log_(log), heartbeat_(io), status_(io), statusPeriod_(statusPeriod) {}

void ClusterNode::start() {
  // Members left by an earlier run under this name are gone with it.
  cleanUp(redis_.node());
  beat();
  status_.expires_after(statusPeriod_);
  status_.async_wait([this](const asio::error_code& error) {
    if (!error) writeStatus();
  });
}

void ClusterNode::beat() {
  const std::string& node = redis_.node();
  if (redis_.command({"SET", "kavrik:node:" + node + ":alive", "1", "EX", std::to_string(kHeartbeatTtlSeconds)})) {
    redis_.command({"SADD", "kavrik:nodes", node});
    if (const RedisReply nodes = redis_.command({"SMEMBERS", "kavrik:nodes"}); nodes && nodes->type == REDIS_REPLY_ARRAY) {
      std::vector<std::string> names;
      for (size_t i = 0; i < nodes->elements; ++i) names.emplace_back(nodes->element[i]->str, nodes->element[i]->len);
      for (const std::string& other : names) {
        if (other == node) continue;
        const RedisReply alive = redis_.command({"EXISTS", "kavrik:node:" + other + ":alive"});
        if (!alive || alive->integer != 0) continue;
        // Whoever removes the dead node from the set cleans up after it.
        const RedisReply claimed = redis_.command({"SREM", "kavrik:nodes", other});
        if (claimed && claimed->integer == 1) cleanUp(other);
      }
    }
  }
  heartbeat_.expires_after(kHeartbeatPeriod);
  heartbeat_.async_wait([this](const asio::error_code& error) {
    if (!error) beat();
  });
}

void ClusterNode::cleanUp(const std::string& deadNode) {
  const std::string set = "kavrik:node:" + deadNode + ":members";
  const RedisReply members = redis_.command({"SMEMBERS", set});
  if (!members || members->type != REDIS_REPLY_ARRAY || members->elements == 0) return;
  log_.write(kLogEvents, "node " + deadNode + " is gone; removing its " + std::to_string(members->elements) +
                             " members");
  for (size_t i = 0; i < members->elements; ++i) {
    const std::string entry(members->element[i]->str, members->element[i]->len);
    const size_t space = entry.find(' ');
    if (space == std::string::npos) continue;
    const std::string key = entry.substr(0, space), member = entry.substr(space + 1);
    const RedisReply name = redis_.command({"HGET", "kavrik:conf:" + key + ":names", member});
    const bool named = name && name->type == REDIS_REPLY_STRING;
    announceDeparture(redis_, key, member, named ? std::string(name->str, name->len) : "", named);
  }
  redis_.command({"DEL", set});
}

void ClusterNode::restore() {
  size_t members = 0;
  for (const auto& [key, conference] : server_.conferences())
    for (const auto& session : conference->members()) {
      redis_.restore(key, session->memberId, session->named ? session->pseudonym : "", session->isMaster);
      ++members;
    }
  log_.write(kLogEvents, "wrote back " + std::to_string(server_.conferences().size()) + " conferences and " +
                             std::to_string(members) + " members to Redis");
}

void ClusterNode::writeStatus() {
  size_t members = 0;
  for (const auto& [key, conference] : server_.conferences()) members += conference->memberCount();
  // Always written: operators watch it whatever the log level.
  log_.write(kLogErrors, "status: " + std::to_string(server_.conferences().size()) + " conferences, " +
                             std::to_string(members) + " members here, " + std::to_string(server_.relayedFrames()) +
                             " frames relayed, Redis " + redis_.state());
  status_.expires_after(statusPeriod_);
  status_.async_wait([this](const asio::error_code& error) {
    if (!error) writeStatus();
  });
}

}  // namespace kvx::server
