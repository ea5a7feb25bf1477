#pragma once
// What the conference benchmarks share: kavrik-server started beside the
// benchmark program, members that log in, and the view states read back
// from the bytes a member receives.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data_to_message.h"
#include "posix_net_stream.h"
#include "tl_msg.h"
#include "tlm_messages.h"

namespace kvx::bench {

// User plus system CPU time of a process so far, in seconds.
inline double cpuSecondsOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;  // state .. cmajflt
  long utime = 0, stime = 0;
  fields >> utime >> stime;
  return double(utime + stime) / sysconf(_SC_CLK_TCK);
}

// kavrik-server beside this program, on a free loopback port; `options`
// come after the listening address and the member limit.
class ServerBeside {
 public:
  explicit ServerBeside(const std::vector<std::string>& options = {}) {
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kavrik-server";
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      std::vector<std::string> args = {program, "--listen", "127.0.0.1:0", "--log-level", "1", "--max-members", "1000"};
      args.insert(args.end(), options.begin(), options.end());
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    port_ = line.substr(line.rfind(':') + 1);
  }
  ~ServerBeside() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  ServerBeside(const ServerBeside&) = delete;
  ServerBeside& operator=(const ServerBeside&) = delete;

  const std::string& port() const { return port_; }
  double cpuSeconds() const { return cpuSecondsOf(pid_); }
  long residentKb() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
  }

 private:
  pid_t pid_ = -1;
  std::string port_;
};

inline bool sendMessage(conf::PosixNetStream& stream, int type, conf::TlmData& message) {
  auto frame = conf::dataToMessage(type, message);
  return frame && conf::sendFrame(stream, *frame) == 0;
}

// A member logged in to the conference of `hash` (creating it when asked)
// and announced by name; null when the server cannot be reached or answer.
inline std::unique_ptr<conf::PosixNetStream> enterConference(const std::string& port, const std::string& hash,
                                                             const char* password, bool create) {
  using namespace conf;
  std::string error;
  auto stream = PosixNetStream::connect("127.0.0.1", port, 5000, error);
  if (!stream) return nullptr;
  TlmConnectNexus login;
  login.protocolLevel = kProtocolLevel;
  login.masterFlag = create;
  login.setFileHash(hash.c_str());
  login.setPassword(password);
  TlMsg answer;
  if (!sendMessage(*stream, kTlmConnectNexus, login) || receiveFrame(*stream, answer) < 0) return nullptr;
  TlmShout name;
  name.kind = TlmShout::kJoined;
  name.setText("member");
  if (!sendMessage(*stream, kTlmShout, name)) return nullptr;
  return stream;
}

// Takes the whole frames at the front of `pending`, handing the sequence
// number of each view state to `viewState`; an incomplete frame stays.
template <class ViewState>
void takeViewStates(std::vector<uint8_t>& pending, ViewState viewState) {
  using namespace conf;
  size_t at = 0;
  while (pending.size() - at >= kMinFrameSize) {
    const uint8_t* frame = pending.data() + at;
    const int length = (frame[2] << 8) | frame[3];
    const size_t size = std::max(kFrameHeaderSize + length, kMinFrameSize);
    if (pending.size() - at < size) break;
    if (((frame[0] << 8) | frame[1]) == kTlmFullManipInfo)
      viewState(uint32_t(frame[8]) << 24 | uint32_t(frame[9]) << 16 | uint32_t(frame[10]) << 8 | frame[11]);
    at += size;
  }
  pending.erase(pending.begin(), pending.begin() + at);
}

}  // namespace kvx::bench
