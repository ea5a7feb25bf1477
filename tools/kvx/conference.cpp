// kvx conference: a headless conference participant for scripts,
// monitoring and tests, on the same session code as the desktop program.
#include "command.h"
#include "drawing_commands.h"
#include "conf_dpy_data.h"
#include "conference_connector.h"
#include "conference_json_events.h"
#include "conference_options.h"
#include "conference_session.h"
#include "headless_view.h"
#include "tl_msg.h"

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <functional>

namespace kvx::tool {
namespace {

using Clock = std::chrono::steady_clock;

enum ConferenceExit { EXIT_PROXY_LOGIN = 3, EXIT_STEP_FAILED = 4 };

constexpr int kNetworkTimeoutMs = 10000;
constexpr double kAfterViewsSeconds = 30;
constexpr double kMasterSeconds = 10;
// Time given to incoming messages between two sent view states.
constexpr int kBetweenViewsMs = 20;

class Participant {
 public:
  explicit Participant(const ConferenceOptions& o)
      : options_(o),
        events_(o.release, o.proxyUser.empty() ? std::nullopt
                                               : std::optional<conf::ProxyLogin>({o.proxyUser, o.proxyPassword})),
        connector_(kNetworkTimeoutMs) {}

  int run() {
    conf::setReceiveLimits(conf::kConferenceMaxLength, conf::kConferenceMaxType);
    std::string error;
    if (!view_.open(options_.scene, error)) {
      std::fprintf(stderr, "kvx conference: %s\n", error.c_str());
      return EXIT_FAILED;
    }
    data_ = std::make_unique<conf::ConfDpyData>(&view_, view_.sdk(), view_.manip(), view_.frameInfo());
    session_ = std::make_unique<conf::ConferenceSession>(events_, connector_, data_.get());

    conf::ConnectRequest request;
    request.hostField = options_.hostField;
    request.useProxy = !options_.proxy.empty();
    if (request.useProxy) {
      const auto colon = options_.proxy.rfind(':');
      request.proxyHost = options_.proxy.substr(0, colon);
      request.proxyPort = options_.proxy.substr(colon + 1);
    }
    request.password = options_.password;
    request.pseudonym = options_.pseudonym;
    request.scenePath = options_.scene;
    request.create = options_.create;
    if (!session_->connect(request)) return events_.proxyLoginUnanswered ? int(EXIT_PROXY_LOGIN) : int(EXIT_FAILED);
    events_.loginDone(session_->isMaster());

    if (const int status = script(); status != EXIT_OK) return status;
    if (!options_.snapshot.empty() && !view_.snapshot(options_.snapshot, error)) {
      std::fprintf(stderr, "kvx conference: %s: %s\n", options_.snapshot.c_str(), error.c_str());
      leave();
      return EXIT_FAILED;
    }
    leave();
    return EXIT_OK;
  }

 private:
  int script() {
    if (options_.afterViews > 0 &&
        !pumpUntil(kAfterViewsSeconds, [&] { return events_.viewsApplied >= options_.afterViews; }))
      return stepFailed();
    for (const std::string& line : options_.chat) session_->chat(line);
    if (!session_->isConnected()) return EXIT_FAILED;
    if (options_.becomeMaster && !session_->isMaster()) {
      session_->requestMaster();
      events_.masterRefusedSeen = false;
      if (!pumpUntil(kMasterSeconds, [&] { return session_->isMaster() || events_.masterRefusedSeen; }) ||
          !session_->isMaster()) {
        if (!events_.masterRefusedSeen && session_->isConnected()) events_.emit("master-refused");
        return stepFailed();
      }
    }
    for (int i = 0; i < options_.views; ++i) {
      if (!session_->isMaster()) return stepFailed();
      view_.dragStep(i);
      session_->updateconference();
      pumpFor(kBetweenViewsMs / 1000.0);
      if (!session_->isConnected()) return EXIT_FAILED;
    }
    pumpFor(options_.linger);
    return session_->isConnected() ? EXIT_OK : EXIT_FAILED;
  }

  int stepFailed() {
    if (!session_->isConnected()) return EXIT_FAILED;
    leave();
    return EXIT_STEP_FAILED;
  }

  void leave() {
    events_.leaving();
    if (session_->isConnected()) session_->disconnect();
  }

  void pumpFor(double seconds) {
    pumpUntil(seconds, [] { return false; });
  }

  // Reads and dispatches messages until `done` holds (true), the time
  // passes or the connection ends (false).
  bool pumpUntil(double seconds, const std::function<bool()>& done) {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (!done()) {
      if (!session_->isConnected()) return false;
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      if (left <= 0) return false;
      pollfd p{connector_.fd(), POLLIN, 0};
      const int ready = ::poll(&p, 1, static_cast<int>(left));
      if (ready < 0) return false;
      if (ready == 0) continue;
      if (p.revents & (POLLIN | POLLHUP | POLLERR)) session_->onInput();
    }
    return true;
  }

  const ConferenceOptions& options_;
  JsonEvents events_;
  conf::PosixConnector connector_;
  HeadlessView view_;
  std::unique_ptr<conf::ConfDpyData> data_;
  std::unique_ptr<conf::ConferenceSession> session_;
};

int run(const std::vector<std::string>& args) {
  ConferenceOptions o;
  if (auto problem = parseConferenceOptions(args, o)) return usageError("conference: " + *problem);
  Participant participant(o);
  const int status = participant.run();
  return status;
}

const Registrar registrar(drawingCommand("conference", run));

}  // namespace
}  // namespace kvx::tool
