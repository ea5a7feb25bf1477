#pragma once
// Ways a conference server or proxy breaks the protocol, played by a
// ScriptedServer against any client: the headless participant and the
// viewer's conference panel face the same table.
#include "scripted_server.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace kvx::test {

// A frame as the wire carries it: type, payload length, payload, padding.
inline std::string conferenceFrame(int type, int length, char fill = 0) {
  std::string bytes = {char(type >> 8), char(type & 0xFF), char(length >> 8), char(length & 0xFF)};
  bytes += std::string(length, fill);
  if (bytes.size() < 108) bytes.resize(108, 0);
  return bytes;
}

struct ConferenceFault {
  // `upstreamPort` is a real server's, for faults that come after the login.
  using Script = std::function<void(int fd, const std::atomic<bool>& stop, int upstreamPort)>;
  const char* name;
  Script script;
  bool inSession;  // the login goes through first; the fault ends the session
};
// Failure reports name the fault instead of dumping its bytes.
inline void PrintTo(const ConferenceFault& fault, std::ostream* out) { *out << fault.name; }

// The fault's script bound to the real server at `upstreamPort`, for a ScriptedServer.
inline std::function<void(int, const std::atomic<bool>&)> playAgainst(const ConferenceFault& fault,
                                                                      int upstreamPort) {
  return [script = fault.script, upstreamPort](int fd, const std::atomic<bool>& stop) {
    script(fd, stop, upstreamPort);
  };
}

// Reads the client's login, then sends `bytes` and lets it react.
inline ConferenceFault::Script answerLoginWith(std::string bytes) {
  return [bytes](int fd, const std::atomic<bool>&, int) {
    ScriptedServer::readFor(fd, 300);
    ScriptedServer::send(fd, bytes);
    ScriptedServer::readFor(fd, 1000);
  };
}

// Relays the login to the real server, then sends `bytes` in its place.
inline ConferenceFault::Script afterLoginSend(std::string bytes) {
  return [bytes](int fd, const std::atomic<bool>&, int upstreamPort) {
    const int upstream = ScriptedServer::relayFor(fd, upstreamPort, 2500);
    ScriptedServer::send(fd, bytes);
    ScriptedServer::readFor(fd, 1000);
    if (upstream >= 0) close(upstream);
  };
}

inline const std::vector<ConferenceFault>& conferenceFaults() {
  static const std::vector<ConferenceFault> table = {
      {"ClosesDuringLogin", [](int fd, auto&, int) { ScriptedServer::readFor(fd, 300); }, false},
      {"StopsMidFrame",
       [](int fd, auto&, int) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, conferenceFrame(1, 40).substr(0, 50));
       },
       false},
      {"StallsMidFrame",
       [](int fd, auto& stop, int) {
         ScriptedServer::readFor(fd, 300);
         ScriptedServer::send(fd, conferenceFrame(1, 40).substr(0, 50));
         ScriptedServer::stall(fd, stop, 30000);
       },
       false},
      {"AnswersGarbage", answerLoginWith(std::string(300, '\xFF')), false},
      {"AnswersHttp", answerLoginWith("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"), false},
      {"FrameAtTheLengthLimit", answerLoginWith(conferenceFrame(10, 400, 'x')), false},
      {"FrameOverTheLengthLimit", answerLoginWith(conferenceFrame(1, 401, 'x')), false},
      {"FrameOverTheTypeLimit", answerLoginWith(conferenceFrame(11, 20)), false},
      {"LargestFrameTheHeaderCanAnnounce", answerLoginWith(conferenceFrame(0xFFFF, 0xFFFF).substr(0, 4096)), false},
      {"InSessionStopsMidFrame", afterLoginSend(conferenceFrame(2, 60).substr(0, 30)), true},
      {"InSessionGarbage", afterLoginSend(std::string(300, '\xFF')), true},
      {"InSessionFrameOverTheLengthLimit", afterLoginSend(conferenceFrame(2, 401, 'x')), true},
      {"InSessionFrameAtTheLengthLimit", afterLoginSend(conferenceFrame(10, 400, 'x')), true},
  };
  return table;
}

inline std::string conferenceFaultName(const testing::TestParamInfo<ConferenceFault>& info) {
  return info.param.name;
}

}  // namespace kvx::test
