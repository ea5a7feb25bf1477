#include "login_throttle.h"

#include <algorithm>

namespace kvx::server {

std::chrono::milliseconds LoginThrottle::failed(const std::string& address, Clock::time_point now) {
  if (records_.size() >= kMaxAddresses) forgetOld(now);
  Record& record = records_[address];
  if (now - record.last > kForgetAfter) record.failures = 0;
  record.last = now;
  const int doublings = std::min(record.failures++, 5);
  return std::min(kFirstDelay * (1 << doublings), kMaxDelay);
}

void LoginThrottle::forgetOld(Clock::time_point now) {
  std::erase_if(records_, [&](const auto& entry) { return now - entry.second.last > kForgetAfter; });
  // Under a flood from many addresses the table still stays bounded.
  if (records_.size() >= kMaxAddresses) records_.clear();
}

}  // namespace kvx::server
