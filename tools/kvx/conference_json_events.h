#pragma once
// The headless participant's side of a session: every event as one JSON
// object on its own line of standard output, flushed at once, and the
// scripted answers to the session's questions.
#include <optional>
#include <string>

#include "conference_events.h"

namespace kvx::tool {

class JsonEvents : public conf::ConferenceEvents {
 public:
  JsonEvents(bool release, std::optional<conf::ProxyLogin> proxyLogin)
      : release_(release), proxyLogin_(std::move(proxyLogin)) {}

  void log(const std::string& text) override { emit("log", text); }
  void showUsers(const std::string& text) override { emit("users", text); }
  void showNotice(const std::string& text) override { emit("notice", text); }
  void loginRefused(int status, const std::string& text) override;
  void masterRefused() override;
  bool askRelease() override;
  void roleChanged(bool master) override;
  void viewApplied(const conf::TlmFullManipInfo& view) override;
  void viewSent(const conf::TlmFullManipInfo& view) override;
  std::optional<conf::ProxyLogin> askProxyLogin(const std::string& message, const std::string& presetUser) override;
  // A message box in the viewer, not a log line: goes to standard error.
  void proxyError(const std::string& text) override;
  void missingPseudonym() override {}
  void connected() override {
    wasConnected_ = true;
    emit("connected");
  }
  void disconnected() override;

  // Marks the coming disconnection as the script's own.
  void leaving() { leaving_ = true; }
  // The login answer arrived: from now on a role change is news.
  void loginDone(bool master);
  void emit(const char* event, const std::string& text = {}, bool withText = true);

  int viewsApplied = 0;
  bool master = false;
  bool masterRefusedSeen = false;
  bool proxyLoginUnanswered = false;
  bool lost = false;
  std::string lastLog;

 private:
  bool release_;
  std::optional<conf::ProxyLogin> proxyLogin_;
  bool loggedIn_ = false;
  bool leaving_ = false;
  bool wasConnected_ = false;
};

}  // namespace kvx::tool
