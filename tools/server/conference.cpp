#include "conference.h"

#include <algorithm>

#include "server_log.h"
#include "session.h"
#include "tlm_messages.h"

namespace kvx::server {

using namespace kvx::conf;

namespace {
// Refusal value of a master request while another one is pending.
constexpr int32_t kRequestPending = 3;
constexpr int32_t kReleaseRefused = 4;
// A user list fills one shout within the frame limit: 8 bytes of kind and
// flags, the text and its zero byte.
constexpr size_t kMaxUserListText = kConferenceMaxLength - 9;
constexpr size_t kMaxPseudonym = 64;

// Pseudonyms go into line-separated lists: control characters would let a
// member forge entries.
std::string cleanPseudonym(const char* text) {
  std::string name(text, strnlen(text, kMaxPseudonym));
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  return name;
}

Frame simpleFrame(int type, int32_t value, uint32_t seq) {
  TlmSimple simple;
  simple.value = value;
  simple.seq = seq;
  return buildFrame(type, simple);
}

Frame shoutFrame(int32_t kind, const std::string& text) {
  TlmShout shout;
  shout.kind = kind;
  shout.setText(text);
  return buildFrame(kTlmShout, shout);
}

Frame userListFrame(const std::vector<std::string>& pseudonyms) {
  std::string list;
  for (const std::string& name : pseudonyms) {
    if (list.size() + name.size() + 1 > kMaxUserListText) break;
    list += name + "\n";
  }
  return shoutFrame(TlmShout::kUserList, list);
}
}  // namespace

bool announceDeparture(ConferenceBackend& backend, const std::string& key, const std::string& member,
                       const std::string& pseudonym, bool named) {
  const Departure departure = backend.leave(key, member);
  // A master leaving during a request hands the role to the requester.
  if (!departure.newMaster.empty()) backend.publish(key, {departure.newMaster, "", simpleFrame(kTlmNowMaster, 0, 0)});
  if (named && !departure.conferenceEnded) {
    backend.publish(key, {"", "", shoutFrame(TlmShout::kLeft, pseudonym)});
    backend.publish(key, {"", "", userListFrame(backend.pseudonyms(key))});
  }
  return departure.conferenceEnded;
}

Conference::Conference(std::string key, std::string fileHash, ConferenceBackend& backend, const ServerLog& log)
    : key_(std::move(key)), fileHash_(std::move(fileHash)), backend_(backend), log_(log) {}

std::string Conference::label() const { return printable(fileHash_.substr(0, 8)); }

void Conference::add(const std::shared_ptr<Session>& member, bool asMaster, bool hearing) {
  members_.push_back(member);
  member->conference = this;
  member->isMaster = asMaster;
  member->hearing = hearing;
}

bool Conference::remove(Session& member) {
  std::erase_if(members_, [&](const auto& m) { return m.get() == &member; });
  member.conference = nullptr;
  member.isMaster = false;
  return announceDeparture(backend_, key_, member.memberId, member.pseudonym, member.named);
}

void Conference::handle(Session& from, int type, TlmData& message, const uint8_t* payload, int length) {
  switch (type) {
    case kTlmShout: return onShout(from, static_cast<TlmShout&>(message));
    case kTlmWantMaster: return onWantMaster(from);
    case kTlmReleaseMaster: return onReleaseAnswer(from, static_cast<TlmSimple&>(message));
    case kTlmFullManipInfo:
      if (!from.isMaster) {
        log_.write(kLogDetails, from.peer() + ": view state from a non-master ignored");
        return;
      }
      lastSeq_ = static_cast<TlmFullManipInfo&>(message).us;
      return backend_.publish(key_, {"", from.memberId, copyFrame(type, payload, length)});
    case kTlmViewAck: from.lastAck = static_cast<TlmSimple&>(message).seq; return;
    default: return;  // type 6 acknowledges the role; nothing to do
  }
}

size_t Conference::deliver(const Delivery& delivery) {
  size_t sent = 0;
  if (!delivery.frame) return sent;
  if (delivery.frame->empty()) {
    for (const auto& member : members_)
      if (delivery.to.empty() || member->memberId == delivery.to) member->hearing = true;
    return sent;
  }
  if (delivery.frame->size() < 2) return sent;
  const int type = ((*delivery.frame)[0] << 8) | (*delivery.frame)[1];
  for (const auto& member : members_) {
    if (!delivery.to.empty() && member->memberId != delivery.to) continue;
    if (member->memberId == delivery.except || !member->hearing) continue;
    if (type == kTlmNowMaster) {
      member->isMaster = true;
      log_.write(kLogEvents, member->peer() + " is now master of conference " + label());
    }
    member->send(delivery.frame);
    ++sent;
  }
  return sent;
}

void Conference::onShout(Session& from, TlmShout& shout) {
  if (shout.kind == TlmShout::kJoined && !from.named) {
    from.named = true;
    from.pseudonym = cleanPseudonym(shout.text());
    backend_.name(key_, from.memberId, from.pseudonym);
    log_.write(kLogEvents, from.peer() + " is \"" + printable(from.pseudonym) + "\" in conference " + label());
    backend_.publish(key_, {"", from.memberId, shoutFrame(TlmShout::kJoined, from.pseudonym)});
    backend_.publish(key_, {"", "", userListFrame(backend_.pseudonyms(key_))});
    return;
  }
  // Other kinds and notices would let one member fake joins or pop message
  // boxes on everybody.
  if (shout.kind != TlmShout::kChat || (shout.flags & TlmShout::kNoticeFlag)) {
    log_.write(kLogDetails, from.peer() + ": shout of kind " + std::to_string(shout.kind) + " not relayed");
    return;
  }
  backend_.publish(key_, {"", from.memberId, shoutFrame(TlmShout::kChat, shout.text())});
}

void Conference::onWantMaster(Session& from) {
  const MasterRequest request = backend_.wantMaster(key_, from.memberId);
  switch (request.kind) {
    case MasterRequest::kAlreadyMaster:
    case MasterRequest::kGranted:
      return backend_.publish(key_, {from.memberId, "", simpleFrame(kTlmNowMaster, 0, lastSeq_)});
    case MasterRequest::kPending:
      return from.send(simpleFrame(kTlmWantMaster, kRequestPending, lastSeq_));
    case MasterRequest::kForwarded:
      log_.write(kLogEvents, from.peer() + " asks for the master role in conference " + label());
      return backend_.publish(key_, {request.master, "", simpleFrame(kTlmReleaseMaster, 0, lastSeq_)});
    case MasterRequest::kUnavailable:
      log_.write(kLogRefusals, from.peer() + ": master request refused, conference state unreachable");
      return from.send(simpleFrame(kTlmWantMaster, kRequestPending, lastSeq_));
  }
}

void Conference::onReleaseAnswer(Session& from, const TlmSimple& answer) {
  if (!from.isMaster) return;
  const bool accepted = answer.value == 0;
  const std::string requester = backend_.answerRelease(key_, from.memberId, accepted);
  if (requester.empty()) return;
  if (accepted) {
    from.isMaster = false;
    backend_.publish(key_, {requester, "", simpleFrame(kTlmNowMaster, 0, lastSeq_)});
  } else {
    log_.write(kLogEvents, from.peer() + " keeps the master role in conference " + label());
    backend_.publish(key_, {requester, "", simpleFrame(kTlmWantMaster, kReleaseRefused, lastSeq_)});
  }
}

}  // namespace kvx::server
