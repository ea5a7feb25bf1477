#include "memory_backend.h"

#include <algorithm>
#include <utility>

namespace kvx::server {

JoinResult MemoryBackend::join(const std::string& key, const std::string& member, bool create,
                               const JoinLimits& limits) {
  auto it = conferences_.find(key);
  if (create) {
    if (it != conferences_.end()) return JoinResult::kExists;
    if (conferences_.size() >= static_cast<size_t>(limits.maxConferences)) return JoinResult::kServerFull;
    it = conferences_.emplace(key, State{}).first;
    it->second.master = member;
  } else {
    if (it == conferences_.end()) return JoinResult::kMissing;
    if (it->second.members.size() >= static_cast<size_t>(limits.maxMembers)) return JoinResult::kConferenceFull;
  }
  it->second.members.push_back(member);
  return JoinResult::kJoined;
}

void MemoryBackend::name(const std::string& key, const std::string& member, const std::string& pseudonym) {
  if (auto it = conferences_.find(key); it != conferences_.end()) it->second.pseudonyms[member] = pseudonym;
}

std::vector<std::string> MemoryBackend::pseudonyms(const std::string& key) {
  std::vector<std::string> names;
  const auto it = conferences_.find(key);
  if (it == conferences_.end()) return names;
  for (const std::string& member : it->second.members)
    if (const auto name = it->second.pseudonyms.find(member); name != it->second.pseudonyms.end())
      names.push_back(name->second);
  return names;
}

Departure MemoryBackend::leave(const std::string& key, const std::string& member) {
  Departure departure;
  const auto it = conferences_.find(key);
  if (it == conferences_.end()) return departure;
  State& state = it->second;
  std::erase(state.members, member);
  state.pseudonyms.erase(member);
  if (state.requester == member) state.requester.clear();
  if (state.master == member) {
    state.master = std::exchange(state.requester, std::string());
    departure.newMaster = state.master;
  }
  if (state.members.empty()) {
    conferences_.erase(it);
    departure.conferenceEnded = true;
  }
  return departure;
}

MasterRequest MemoryBackend::wantMaster(const std::string& key, const std::string& member) {
  const auto it = conferences_.find(key);
  if (it == conferences_.end()) return {};
  State& state = it->second;
  if (state.master == member) return {MasterRequest::kAlreadyMaster, member};
  if (state.master.empty()) {
    state.master = member;
    return {MasterRequest::kGranted, member};
  }
  if (!state.requester.empty()) return {MasterRequest::kPending, state.master};
  state.requester = member;
  return {MasterRequest::kForwarded, state.master};
}

std::string MemoryBackend::answerRelease(const std::string& key, const std::string& member, bool accepted) {
  const auto it = conferences_.find(key);
  if (it == conferences_.end()) return {};
  State& state = it->second;
  if (state.master != member || state.requester.empty()) return {};
  std::string requester = std::exchange(state.requester, std::string());
  if (accepted) state.master = requester;
  return requester;
}

}  // namespace kvx::server
