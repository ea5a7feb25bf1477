#pragma once
// Where conference state lives and how relayed frames reach the members:
// in this process alone, or shared by several nodes. The conference logic
// is written once on top of it.
#include <functional>
#include <string>
#include <vector>

#include "frames.h"

namespace kvx::server {

// A frame for the members of one conference: to one member, or to all but
// `except` (either may be empty). An empty frame is a mark: member `to`
// (every member, when empty) hears the conference's frames from here on.
struct Delivery {
  std::string to;
  std::string except;
  Frame frame;
};

enum class JoinResult { kJoined, kExists, kMissing, kServerFull, kConferenceFull, kUnavailable };

// The outcome of a master request.
struct MasterRequest {
  enum Kind { kAlreadyMaster, kGranted, kPending, kForwarded, kUnavailable } kind = kUnavailable;
  std::string master;  // the member asked to release the role, when forwarded
};

struct Departure {
  std::string newMaster;  // the requester, when the master left during a request
  bool conferenceEnded = false;
};

struct JoinLimits {
  int maxConferences;
  int maxMembers;
};

class ConferenceBackend {
 public:
  virtual ~ConferenceBackend() = default;

  // Runs `then` once this node hears every frame published for the
  // conference from then on (at once when working alone); with false when
  // it cannot now.
  virtual void whenHeard(const std::string& /*key*/, std::function<void(bool heard)> then) { then(true); }
  // True when a member joined hears nothing until its join's mark arrives,
  // so that frames published before it joined never reach it.
  virtual bool announcesJoins() const { return false; }
  // Creates the conference named by `key` (atomically: one creator wins)
  // or joins it, with `member` as master when creating.
  virtual JoinResult join(const std::string& key, const std::string& member, bool create, const JoinLimits& limits) = 0;
  virtual void name(const std::string& key, const std::string& member, const std::string& pseudonym) = 0;
  // Pseudonyms of the named members in join order.
  virtual std::vector<std::string> pseudonyms(const std::string& key) = 0;
  // Removes the member, moves the master role to a pending requester, and
  // deletes an empty conference.
  virtual Departure leave(const std::string& key, const std::string& member) = 0;
  virtual MasterRequest wantMaster(const std::string& key, const std::string& member) = 0;
  // The master's answer to a pending request: the requester (master now
  // when `accepted`), or empty when `member` is not master or nothing pends.
  virtual std::string answerRelease(const std::string& key, const std::string& member, bool accepted) = 0;
  // Hands the frame to every node that holds members of the conference,
  // this one included, in one order per conference.
  virtual void publish(const std::string& key, const Delivery& delivery) = 0;
};

}  // namespace kvx::server
