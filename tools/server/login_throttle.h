#pragma once
// Slows down repeated failed joins from one address: each failure within a
// minute of the previous one doubles the delay of the answer, from 50 ms up
// to one second. Successful logins are never delayed.
#include <chrono>
#include <string>
#include <unordered_map>

namespace kvx::server {

class LoginThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kFirstDelay{50};
  static constexpr std::chrono::milliseconds kMaxDelay{1000};
  static constexpr std::chrono::seconds kForgetAfter{60};
  static constexpr size_t kMaxAddresses = 10000;

  // Records a failure and returns how long to hold back its answer.
  std::chrono::milliseconds failed(const std::string& address, Clock::time_point now = Clock::now());

 private:
  struct Record {
    int failures = 0;
    Clock::time_point last;
  };
  void forgetOld(Clock::time_point now);

  std::unordered_map<std::string, Record> records_;
};

}  // namespace kvx::server
