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
}  // namespace

Conference::Conference(std::string fileHash, const Password& password, const ServerLog& log)
    : fileHash_(std::move(fileHash)), password_(password), log_(log) {}

bool Conference::passwordMatches(const Password& candidate) const {
  uint8_t difference = 0;
  for (size_t i = 0; i < password_.size(); ++i) difference |= password_[i] ^ candidate[i];
  return difference == 0;
}

std::string Conference::label() const { return printable(fileHash_.substr(0, 8)); }

void Conference::add(const std::shared_ptr<Session>& member, bool asMaster) {
  members_.push_back(member);
  member->conference = this;
  if (asMaster) master_ = member.get();
}

void Conference::remove(Session& member) {
  std::erase_if(members_, [&](const auto& m) { return m.get() == &member; });
  member.conference = nullptr;
  if (&member == requester_) requester_ = nullptr;
  if (&member == master_) {
    master_ = nullptr;
    // A master leaving during a request hands the role to the requester.
    if (requester_) {
      Session& next = *requester_;
      requester_ = nullptr;
      makeMaster(next);
    }
  }
  if (member.named && !members_.empty()) {
    sendShout(nullptr, nullptr, TlmShout::kLeft, member.pseudonym);
    sendUserList();
  }
}

void Conference::handle(Session& from, int type, TlmData& message, const uint8_t* payload, int length) {
  switch (type) {
    case kTlmShout: return onShout(from, static_cast<TlmShout&>(message));
    case kTlmWantMaster: return onWantMaster(from);
    case kTlmReleaseMaster: return onReleaseAnswer(from, static_cast<TlmSimple&>(message));
    case kTlmFullManipInfo:
      if (&from != master_) {
        log_.write(kLogDetails, from.peer() + ": view state from a non-master ignored");
        return;
      }
      lastSeq_ = static_cast<TlmFullManipInfo&>(message).us;
      return toOthers(from, copyFrame(type, payload, length));
    case kTlmViewAck: from.lastAck = static_cast<TlmSimple&>(message).seq; return;
    default: return;  // type 6 acknowledges the role; nothing to do
  }
}

void Conference::onShout(Session& from, TlmShout& shout) {
  if (shout.kind == TlmShout::kJoined && !from.named) {
    from.named = true;
    from.pseudonym = cleanPseudonym(shout.text());
    log_.write(kLogEvents, from.peer() + " is \"" + printable(from.pseudonym) + "\" in conference " + label());
    sendShout(nullptr, &from, TlmShout::kJoined, from.pseudonym);
    sendUserList();
    return;
  }
  // Other kinds and notices would let one member fake joins or pop message
  // boxes on everybody.
  if (shout.kind != TlmShout::kChat || (shout.flags & TlmShout::kNoticeFlag)) {
    log_.write(kLogDetails, from.peer() + ": shout of kind " + std::to_string(shout.kind) + " not relayed");
    return;
  }
  sendShout(nullptr, &from, TlmShout::kChat, shout.text());
}

void Conference::onWantMaster(Session& from) {
  if (&from == master_) return sendSimple(from, kTlmNowMaster, 0);
  if (!master_) return makeMaster(from);
  if (requester_) return sendSimple(from, kTlmWantMaster, kRequestPending);
  requester_ = &from;
  log_.write(kLogEvents, from.peer() + " asks for the master role in conference " + label());
  sendSimple(*master_, kTlmReleaseMaster, 0);
}

void Conference::onReleaseAnswer(Session& from, const TlmSimple& answer) {
  if (&from != master_ || !requester_) return;
  Session& requester = *requester_;
  requester_ = nullptr;
  if (answer.value == 0) {
    makeMaster(requester);
  } else {
    log_.write(kLogEvents, from.peer() + " keeps the master role in conference " + label());
    sendSimple(requester, kTlmWantMaster, kReleaseRefused);
  }
}

void Conference::makeMaster(Session& member) {
  master_ = &member;
  log_.write(kLogEvents, member.peer() + " is now master of conference " + label());
  sendSimple(member, kTlmNowMaster, 0);
}

void Conference::sendSimple(Session& to, int type, int32_t value) {
  TlmSimple simple;
  simple.value = value;
  simple.seq = lastSeq_;
  to.send(buildFrame(type, simple));
}

void Conference::sendShout(Session* to, Session* except, int32_t kind, const std::string& text) {
  TlmShout shout;
  shout.kind = kind;
  shout.setText(text);
  const Frame frame = buildFrame(kTlmShout, shout);
  if (to) return to->send(frame);
  for (const auto& member : members_)
    if (member.get() != except) member->send(frame);
}

void Conference::sendUserList() {
  std::string list;
  for (const auto& member : members_) {
    if (!member->named) continue;
    if (list.size() + member->pseudonym.size() + 1 > kMaxUserListText) break;
    list += member->pseudonym + "\n";
  }
  sendShout(nullptr, nullptr, TlmShout::kUserList, list);
}

void Conference::toOthers(const Session& except, const Frame& frame) {
  for (const auto& member : members_)
    if (member.get() != &except) member->send(frame);
}

}  // namespace kvx::server
