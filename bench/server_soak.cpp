// kavrik-server under a storm of hostile clients on loopback, for a given
// time (seconds as the argument, default 180). Well-behaved conferences keep
// relaying view states at 30 per second while hundreds of other clients log
// in, relay, send malformed frames, stop reading, vanish and come back.
// Reports the well-behaved relay latency during the storm, members dropped,
// and the server's resident memory before the storm and after it.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "conference_bench_client.h"
#include "data_to_message.h"
#include "posix_net_stream.h"
#include "tl_msg.h"
#include "tlm_messages.h"

namespace {

using namespace kvx::conf;
using namespace kvx::bench;
using Clock = std::chrono::steady_clock;

constexpr int kCalmConferences = 10;
constexpr int kCalmMembers = 5;
constexpr double kRate = 30;  // view states per second and calm conference
constexpr int kStormThreads = 8;
constexpr int kClientsPerThread = 40;  // held open at once by each storm thread

std::unique_ptr<PosixNetStream> enter(const std::string& port, const std::string& hash, bool create) {
  return enterConference(port, hash, "soak", create);
}

std::string calmHash(int c) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "calm%012d", c);
  return hash;
}

// A view state frame carrying `us` where the receivers read it back.
std::vector<uint8_t> viewFrame(uint32_t us) {
  static const std::vector<uint8_t> base = [] {
    TlmFullManipInfo view;
    auto frame = dataToMessage(kTlmFullManipInfo, view);
    return std::vector<uint8_t>(frame->frame(), frame->frame() + frame->wireSize());
  }();
  std::vector<uint8_t> frame = base;
  frame[8] = uint8_t(us >> 24), frame[9] = uint8_t(us >> 16), frame[10] = uint8_t(us >> 8), frame[11] = uint8_t(us);
  return frame;
}

// A reset on close, not a goodbye.
void resetOnClose(int fd) {
  linger abort{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

int rawConnect(const std::string& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// One storm thread: opens a batch of hostile clients, holds them a while,
// drops them all abruptly, and starts over until told to stop.
void storm(const std::string& port, int thread, const std::atomic<bool>& running, std::atomic<long>& clients) {
  std::mt19937 random(static_cast<unsigned>(thread) * 7919u + 1u);
  while (running) {
    std::vector<std::unique_ptr<PosixNetStream>> held;
    std::vector<int> raw;
    const std::string hash = "storm" + std::to_string(thread) + "x" + std::to_string(random() % 4);
    for (int i = 0; i < kClientsPerThread && running; ++i) {
      switch (random() % 4) {
        case 0:  // logs in and floods its storm conference, never reading
        case 1: {
          auto stream = enter(port, hash, held.empty());
          if (!stream) break;
          for (int k = 0; k < 20; ++k) {
            const auto frame = viewFrame(0);
            if (::send(stream->fd(), frame.data(), frame.size(), MSG_NOSIGNAL | MSG_DONTWAIT) <= 0) break;
          }
          held.push_back(std::move(stream));
          break;
        }
        case 2: {  // a frame over every limit, then whatever comes
          const int fd = rawConnect(port);
          if (fd < 0) break;
          const uint8_t bad[8] = {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4};
          (void)!::send(fd, bad, sizeof bad, MSG_NOSIGNAL);
          raw.push_back(fd);
          break;
        }
        default: {  // half a login frame, then silence
          const int fd = rawConnect(port);
          if (fd < 0) break;
          const uint8_t half[40] = {0, 1, 0, 60};
          (void)!::send(fd, half, sizeof half, MSG_NOSIGNAL);
          raw.push_back(fd);
          break;
        }
      }
      ++clients;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200 + random() % 1500));
    for (auto& stream : held) resetOnClose(stream->fd());
    for (int fd : raw) resetOnClose(fd), close(fd);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 180;
  if (seconds < 5) {
    std::fprintf(stderr, "usage: bench_server_soak [SECONDS (at least 5, default 180)]\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  ServerBeside server;
  if (server.port().empty()) {
    std::fprintf(stderr, "bench_server_soak: kavrik-server did not start\n");
    return 1;
  }

  struct Member {
    std::unique_ptr<PosixNetStream> stream;
    int conference;
    std::vector<uint8_t> pending;
    bool dropped = false;
  };
  std::vector<Member> calm;
  for (int c = 0; c < kCalmConferences; ++c)
    for (int m = 0; m < kCalmMembers; ++m) {
      auto stream = enter(server.port(), calmHash(c), m == 0);
      if (!stream) {
        std::fprintf(stderr, "bench_server_soak: a calm member could not enter\n");
        return 1;
      }
      calm.push_back({std::move(stream), c, {}});
    }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const long rssBefore = server.residentKb();

  std::vector<std::atomic<int64_t>> sendTimes(static_cast<size_t>(kRate * seconds * kCalmConferences) + 64);
  std::vector<int64_t> latencies;
  std::atomic<bool> running{true}, receiving{true};
  std::thread receiver([&] {
    std::vector<pollfd> fds;
    for (auto& member : calm) fds.push_back({member.stream->fd(), POLLIN, 0});
    uint8_t buffer[65536];
    while (receiving) {
      if (poll(fds.data(), fds.size(), 50) <= 0) continue;
      const int64_t now = Clock::now().time_since_epoch().count();
      for (size_t i = 0; i < fds.size(); ++i) {
        Member& member = calm[i];
        if (member.dropped || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        const ssize_t got = recv(fds[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN)) {
          member.dropped = true;
          fds[i].fd = -1;
          continue;
        }
        if (got < 0) continue;
        member.pending.insert(member.pending.end(), buffer, buffer + got);
        takeViewStates(member.pending, [&](uint32_t us) {
          if (us >= 1 && us <= sendTimes.size()) latencies.push_back(now - sendTimes[us - 1]);
        });
      }
    }
  });

  std::atomic<long> stormClients{0};
  std::vector<std::thread> storms;
  for (int t = 0; t < kStormThreads; ++t)
    storms.emplace_back(storm, server.port(), t, std::cref(running), std::ref(stormClients));

  // Masters take turns; each view state's number is unique over the run.
  long rssPeak = rssBefore;
  size_t sent = 0;
  const auto interval = std::chrono::duration<double>(1.0 / (kRate * kCalmConferences));
  const auto start = Clock::now();
  const size_t ticks = static_cast<size_t>(kRate * seconds * kCalmConferences);
  for (size_t tick = 0; tick < ticks; ++tick) {
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(interval * tick));
    const auto frame = viewFrame(static_cast<uint32_t>(tick + 1));
    sendTimes[tick] = Clock::now().time_since_epoch().count();
    const int fd = calm[(tick % kCalmConferences) * kCalmMembers].stream->fd();
    size_t written = 0;
    while (written < frame.size()) {
      const ssize_t put = ::send(fd, frame.data() + written, frame.size() - written, MSG_NOSIGNAL);
      if (put <= 0) break;
      written += static_cast<size_t>(put);
    }
    ++sent;
    if (tick % 300 == 0) rssPeak = std::max(rssPeak, server.residentKb());
  }
  running = false;
  for (auto& t : storms) t.join();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  receiving = false;
  receiver.join();
  const long rssAfter = server.residentKb();

  std::sort(latencies.begin(), latencies.end());
  const auto ms = [&](double q) {
    return latencies.empty() ? 0.0 : latencies[static_cast<size_t>(q * (latencies.size() - 1))] / 1e6;
  };
  int dropped = 0;
  for (const auto& member : calm) dropped += member.dropped;
  const double expected = double(sent) * (kCalmMembers - 1);
  std::printf("duration_s %d\nstorm_clients %ld\ncalm_members %d\ncalm_members_dropped %d\n", seconds,
              stormClients.load(), kCalmConferences * kCalmMembers, dropped);
  std::printf("frames_expected %.0f\nframes_relayed %zu\n", expected, latencies.size());
  std::printf("latency_median_ms %.2f\nlatency_p99_ms %.2f\nlatency_max_ms %.2f\n", ms(0.5), ms(0.99), ms(1.0));
  std::printf("server_rss_kb_before %ld\nserver_rss_kb_peak %ld\nserver_rss_kb_after %ld\n", rssBefore, rssPeak,
              rssAfter);
  return dropped == 0 && double(latencies.size()) == expected ? 0 : 1;
}
