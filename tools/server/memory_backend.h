#pragma once
// Conference state of a server working alone: plain maps, frames handed
// straight back to the local members.
#include <functional>
#include <map>

#include "conference_backend.h"

namespace kvx::server {

class MemoryBackend : public ConferenceBackend {
 public:
  using Deliver = std::function<void(const std::string& key, const Delivery&)>;
  explicit MemoryBackend(Deliver deliver) : deliver_(std::move(deliver)) {}

  JoinResult join(const std::string& key, const std::string& member, bool create, const JoinLimits& limits) override;
  void name(const std::string& key, const std::string& member, const std::string& pseudonym) override;
  std::vector<std::string> pseudonyms(const std::string& key) override;
  Departure leave(const std::string& key, const std::string& member) override;
  MasterRequest wantMaster(const std::string& key, const std::string& member) override;
  std::string answerRelease(const std::string& key, const std::string& member, bool accepted) override;
  void publish(const std::string& key, const Delivery& delivery) override { deliver_(key, delivery); }

 private:
  struct State {
    std::vector<std::string> members;  // join order
    std::map<std::string, std::string> pseudonyms;
    std::string master;
    std::string requester;
  };
  Deliver deliver_;
  std::map<std::string, State> conferences_;
};

}  // namespace kvx::server
