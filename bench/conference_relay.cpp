// Load on kavrik-server: N conferences of M members on loopback, each
// master sending view states at 30 per second, on one node alone or on
// three nodes sharing a private Redis (members spread over the nodes).
// Reports the relay latency from send to receipt (median, 99th
// percentile), frames relayed per second, frames lost, and the CPU time of
// the servers (and Redis) per relayed frame; after the runs, one table puts the runs of
// one load side by side with the cost of going through Redis.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "byte_stream.h"
#include "conference_bench_client.h"
#include "data_to_message.h"
#include "posix_net_stream.h"
#include "tl_msg.h"
#include "tlm_messages.h"

namespace {

using namespace kvx::conf;
using namespace kvx::bench;
using Clock = std::chrono::steady_clock;

constexpr double kRate = 30;  // view states per second and conference
constexpr auto kDuration = std::chrono::seconds(5);

// Figures of one run, for the closing table.
struct Figures {
  int nodes;
  double medianUs, p99Us, maxUs, framesPerSecond, lost, cpuUsPerFrame;
};
std::map<std::pair<int, int>, std::vector<Figures>>& results() {
  static std::map<std::pair<int, int>, std::vector<Figures>> byLoad;  // (conferences, members)
  return byLoad;
}

// A private redis-server on a free loopback port that keeps nothing on disk.
class Redis {
 public:
  Redis() {
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    port_ = ntohs(address.sin_port);
    char folder[] = "/tmp/kvxbench-redis-XXXXXX";
    folder_ = mkdtemp(folder);
    pid_ = fork();
    if (pid_ == 0) {
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      const std::string port = std::to_string(port_);
      execlp("redis-server", "redis-server", "--bind", "127.0.0.1", "--port", port.c_str(), "--save", "",
             "--appendonly", "no", "--dir", folder_.c_str(), "--logfile", "", static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int waited = 0; waited < 5000 && !accepting(address); waited += 20)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~Redis() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    std::filesystem::remove_all(folder_);
  }
  std::string url() const { return "redis://127.0.0.1:" + std::to_string(port_); }
  double cpuSeconds() const { return cpuSecondsOf(pid_); }

 private:
  static bool accepting(sockaddr_in address) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
  }
  int port_ = 0;
  pid_t pid_ = -1;
  std::string folder_;
};

struct Member {
  std::unique_ptr<PosixNetStream> stream;
  int conference = 0;
  std::vector<uint8_t> pending;  // bytes of an incomplete frame
};

std::unique_ptr<PosixNetStream> enter(const std::string& port, int conference, bool create) {
  char hash[17];
  std::snprintf(hash, sizeof hash, "bench%011d", conference);
  return enterConference(port, hash, "load", create);
}

void BM_ConferenceRelay(benchmark::State& state) {
  const int conferences = static_cast<int>(state.range(0));
  const int members = static_cast<int>(state.range(1));
  const int nodes = static_cast<int>(state.range(2));
  std::unique_ptr<Redis> redis;
  std::vector<std::unique_ptr<ServerBeside>> servers;
  if (nodes > 1) {
    redis = std::make_unique<Redis>();
    setenv("KAVRIK_CLUSTER_SECRET", "bench secret", 1);
    for (int n = 0; n < nodes; ++n) servers.push_back(std::make_unique<ServerBeside>(
          std::vector<std::string>{"--redis", redis->url(), "--node-name", "n" + std::to_string(n)}));
  } else {
    servers.push_back(std::make_unique<ServerBeside>());
  }
  const auto cpuSeconds = [&] {
    double total = 0;
    for (const auto& server : servers) total += server->cpuSeconds();
    return total + (redis ? redis->cpuSeconds() : 0);
  };
  std::vector<Member> all;
  for (int c = 0; c < conferences; ++c) {
    for (int m = 0; m < members; ++m) {
      auto stream = enter(servers[static_cast<size_t>(c + m) % servers.size()]->port(), c, m == 0);
      if (!stream) {
        state.SkipWithError("could not enter a conference");
        return;
      }
      all.push_back({std::move(stream), c, {}});
    }
  }

  // sendTimes[c][us - 1]: when conference c's master sent view state us.
  const size_t perConference = static_cast<size_t>(kRate * kDuration.count()) + 1;
  std::vector<std::vector<std::atomic<int64_t>>> sendTimes(conferences);
  for (auto& times : sendTimes) times = std::vector<std::atomic<int64_t>>(perConference);
  std::vector<int64_t> latencies;
  latencies.reserve(perConference * conferences * (members - 1));
  std::atomic<bool> receiving{true};

  const int epoll = epoll_create1(0);
  for (size_t i = 0; i < all.size(); ++i) {
    fcntl(all[i].stream->fd(), F_SETFL, fcntl(all[i].stream->fd(), F_GETFL) | O_NONBLOCK);
    epoll_event event{EPOLLIN, {.u64 = i}};
    epoll_ctl(epoll, EPOLL_CTL_ADD, all[i].stream->fd(), &event);
  }
  std::thread receiver([&] {
    epoll_event events[256];
    uint8_t buffer[65536];
    while (receiving) {
      const int ready = epoll_wait(epoll, events, 256, 50);
      const int64_t now = Clock::now().time_since_epoch().count();
      for (int e = 0; e < ready; ++e) {
        Member& member = all[events[e].data.u64];
        ssize_t got;
        while ((got = recv(member.stream->fd(), buffer, sizeof buffer, 0)) > 0) {
          member.pending.insert(member.pending.end(), buffer, buffer + got);
          takeViewStates(member.pending, [&](uint32_t us) {
            if (us >= 1 && us <= perConference) latencies.push_back(now - sendTimes[member.conference][us - 1]);
          });
        }
      }
    }
  });

  TlmFullManipInfo view;
  view.f = TlmFullManipInfo::kCutActive | TlmFullManipInfo::kMeasurePresent;
  auto templateFrame = dataToMessage(kTlmFullManipInfo, view);
  std::vector<uint8_t> frame(templateFrame->frame(), templateFrame->frame() + templateFrame->wireSize());

  const double cpuBefore = cpuSeconds();
  const auto sendingStarted = Clock::now();
  size_t sent = 0;
  for (auto _ : state) {
    // Masters take turns, so that each sends 30 per second, evenly spread.
    const auto interval = std::chrono::duration<double>(1.0 / (kRate * conferences));
    const auto start = Clock::now();
    for (size_t tick = 0; tick < perConference * conferences - conferences; ++tick) {
      std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(interval * tick));
      const int c = static_cast<int>(tick % conferences);
      const uint32_t us = static_cast<uint32_t>(tick / conferences + 1);
      frame[8] = uint8_t(us >> 24), frame[9] = uint8_t(us >> 16), frame[10] = uint8_t(us >> 8), frame[11] = uint8_t(us);
      sendTimes[c][us - 1] = Clock::now().time_since_epoch().count();
      const int fd = all[static_cast<size_t>(c) * members].stream->fd();
      size_t written = 0;
      while (written < frame.size()) {
        const ssize_t put = ::send(fd, frame.data() + written, frame.size() - written, MSG_NOSIGNAL);
        if (put > 0) written += put;
      }
      ++sent;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  const double cpu = cpuSeconds() - cpuBefore;
  const double seconds = std::chrono::duration<double>(Clock::now() - sendingStarted).count();
  receiving = false;
  receiver.join();
  close(epoll);

  std::sort(latencies.begin(), latencies.end());
  const auto microseconds = [&](double q) {
    return latencies.empty() ? 0.0 : latencies[static_cast<size_t>(q * (latencies.size() - 1))] / 1000.0;
  };
  const double expected = double(sent) * (members - 1);
  state.counters["frames_relayed"] = double(latencies.size());
  state.counters["frames_lost"] = expected - double(latencies.size());
  state.counters["latency_median_us"] = microseconds(0.5);
  state.counters["latency_p99_us"] = microseconds(0.99);
  state.counters["latency_max_us"] = microseconds(1.0);
  state.counters["server_cpu_us_per_frame"] = latencies.empty() ? 0 : cpu * 1e6 / double(latencies.size());
  state.counters["frames_per_second"] = double(latencies.size()) / seconds;
  results()[{conferences, members}].push_back({nodes, microseconds(0.5), microseconds(0.99), microseconds(1.0),
                                               double(latencies.size()) / seconds, expected - double(latencies.size()),
                                               state.counters["server_cpu_us_per_frame"]});
}

void printSideBySide() {
  for (const auto& [load, runs] : results()) {
    std::printf("\n%d conferences x %d members, %g view states per second each\n", load.first, load.second, kRate);
    std::printf("%-16s %10s %10s %10s %10s %8s %14s\n", "", "median_us", "p99_us", "max_us", "frames/s", "lost",
                "cpu_us/frame");
    const Figures* alone = nullptr;
    for (const Figures& run : runs) {
      const std::string label = run.nodes == 1 ? "1 node" : std::to_string(run.nodes) + " nodes + Redis";
      std::printf("%-16s %10.0f %10.0f %10.0f %10.0f %8.0f %14.1f\n", label.c_str(), run.medianUs, run.p99Us,
                  run.maxUs, run.framesPerSecond, run.lost, run.cpuUsPerFrame);
      if (run.nodes == 1) alone = &run;
    }
    for (const Figures& run : runs)
      if (alone && run.nodes > 1)
        std::printf("through Redis: median %+.0f us, p99 %+.0f us (p99 %.2f ms; aim under 5 ms)\n",
                    run.medianUs - alone->medianUs, run.p99Us - alone->p99Us, run.p99Us / 1000);
  }
}

BENCHMARK(BM_ConferenceRelay)
    ->ArgNames({"conferences", "members", "nodes"})
    ->Args({10, 10, 1})
    ->Args({100, 10, 1})
    ->Args({100, 10, 3})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printSideBySide();
  return 0;
}
