#pragma once
// This node's part of one conference: its local members, the relay of
// their chat and view states, and their share in the master hand-over. The
// conference's shared state lives in the backend, and every frame for the
// members goes through it, so that all nodes relay in one order.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "conference_backend.h"

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
  Conference(std::string key, std::string fileHash, ConferenceBackend& backend, const ServerLog& log);

  const std::string& key() const { return key_; }
  size_t memberCount() const { return members_.size(); }
  const std::vector<std::shared_ptr<Session>>& members() const { return members_; }
  // For log lines: the start of the file hash, never the password.
  std::string label() const;

  void add(const std::shared_ptr<Session>& member, bool asMaster, bool hearing);
  // Announces the departure and keeps the master role consistent; true
  // when the conference ended with it.
  bool remove(Session& member);
  void handle(Session& from, int type, conf::TlmData& message, const uint8_t* payload, int length);
  // A frame published for this conference reaches the local members; the
  // number of frames queued.
  size_t deliver(const Delivery& delivery);

 private:
  void onShout(Session& from, conf::TlmShout& shout);
  void onWantMaster(Session& from);
  void onReleaseAnswer(Session& from, const conf::TlmSimple& answer);

  std::string key_;
  std::string fileHash_;
  ConferenceBackend& backend_;
  const ServerLog& log_;
  std::vector<std::shared_ptr<Session>> members_;
  uint32_t lastSeq_ = 0;
};

// Announces that `member` (named `pseudonym`, empty when it never gave
// one) left, and hands the master role on; used for local members and for
// the members of a node that died. True when the conference ended.
bool announceDeparture(ConferenceBackend& backend, const std::string& key, const std::string& member,
                       const std::string& pseudonym, bool named);

}  // namespace kvx::server
