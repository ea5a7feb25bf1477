#pragma once
// One conference: its members in join order, the master role and its
// hand-over, and the relay of chat and view states.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frames.h"

namespace kvx::conf {
class TlmData;
class TlmShout;
class TlmSimple;
}  // namespace kvx::conf

namespace kvx::server {

class Session;
class ServerLog;

class Conference {
 public:
  using Password = std::array<uint8_t, 16>;

  Conference(std::string fileHash, const Password& password, const ServerLog& log);

  const std::string& fileHash() const { return fileHash_; }
  // Compares in constant time, so that answer times tell nothing about how
  // much of a guess was right.
  bool passwordMatches(const Password& candidate) const;
  size_t memberCount() const { return members_.size(); }
  // For log lines: the start of the file hash, never the password.
  std::string label() const;

  void add(const std::shared_ptr<Session>& member, bool asMaster);
  // Announces the departure and keeps the master role consistent.
  void remove(Session& member);
  void handle(Session& from, int type, conf::TlmData& message, const uint8_t* payload, int length);

 private:
  void onShout(Session& from, conf::TlmShout& shout);
  void onWantMaster(Session& from);
  void onReleaseAnswer(Session& from, const conf::TlmSimple& answer);
  void makeMaster(Session& member);
  void sendSimple(Session& to, int type, int32_t value);
  void sendShout(Session* to, Session* except, int32_t kind, const std::string& text);
  void sendUserList();
  void toOthers(const Session& except, const Frame& frame);

  std::string fileHash_;
  Password password_;
  const ServerLog& log_;
  std::vector<std::shared_ptr<Session>> members_;
  Session* master_ = nullptr;
  Session* requester_ = nullptr;
  uint32_t lastSeq_ = 0;
};

}  // namespace kvx::server
