#pragma once
// Stand-ins for the window side of a conference session: recorded events,
// a frame that keeps its tool panel and check marks, an SDK object that
// records the calls view synchronisation makes, a connector that reaches
// nothing, and frames as bytes.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "conference_connector.h"
#include "conference_events.h"
#include "data_to_message.h"
#include "kvx_sdk.h"
#include "shared_view_frame.h"
#include "tlm_messages.h"

namespace kvx::test {

struct RecordedEvents : conf::ConferenceEvents {
  std::vector<std::string> logLines, notices, users;
  std::vector<std::pair<int, std::string>> refusals;
  std::vector<bool> roles;
  std::vector<uint32_t> applied, sent;
  int masterRefusals = 0, beeps = 0, connects = 0, disconnects = 0, pseudonymMissing = 0;
  bool releaseAnswer = true;
  int releaseQuestions = 0;
  std::optional<conf::ProxyLogin> proxyLogin;
  std::vector<std::string> proxyQuestions, proxyErrors, servers;

  void log(const std::string& text) override { logLines.push_back(text); }
  void showUsers(const std::string& text) override { users.push_back(text); }
  void showNotice(const std::string& text) override { notices.push_back(text); }
  void beep() override { ++beeps; }
  void loginRefused(int status, const std::string& text) override { refusals.emplace_back(status, text); }
  void masterRefused() override { ++masterRefusals; }
  bool askRelease() override {
    ++releaseQuestions;
    return releaseAnswer;
  }
  void roleChanged(bool master) override { roles.push_back(master); }
  void viewApplied(const conf::TlmFullManipInfo& view) override { applied.push_back(view.us); }
  void viewSent(const conf::TlmFullManipInfo& view) override { sent.push_back(view.us); }
  std::optional<conf::ProxyLogin> askProxyLogin(const std::string& message, const std::string&) override {
    proxyQuestions.push_back(message);
    return proxyLogin;
  }
  void proxyError(const std::string& text) override { proxyErrors.push_back(text); }
  void missingPseudonym() override { ++pseudonymMissing; }
  void serverReached(const std::string& hostPort) override { servers.push_back(hostPort); }
  void connected() override { ++connects; }
  void disconnected() override { ++disconnects; }
};

// A connector that reaches nothing: sessions here get their connection attached.
struct NoConnector : conf::ConferenceConnector {
  std::string checkAddress(const std::string&, const std::string&) override { return {}; }
  conf::NetStream* connect(const std::string&, const std::string&, std::string& error) override {
    error = "refused";
    return nullptr;
  }
  void close() override {}
  bool isConnected() const override { return false; }
};

struct StandInFrame : conf::SharedViewFrame {
  int panel = conf::kNoToolPanel;
  std::map<int, bool> checks;
  int renders = 0, panelChanges = 0;
  bool ready = true;

  int openToolPanel() const override { return panel; }
  void showToolPanel(int command) override {
    panel = command;
    ++panelChanges;
  }
  void closeToolPanel() override {
    panel = conf::kNoToolPanel;
    ++panelChanges;
  }
  void setCheck(int command, bool checked) override { checks[command] = checked; }
  void render() override { ++renders; }
  bool viewReady() const override { return ready; }
};

// The real SDK object with the camera and pointer calls recorded.
struct RecordingSdk : kvx_GL_Plugin {
  int cameraIndex = 0;
  std::vector<int> cameraChanges;
  std::vector<bool> cursorShown;
  int GetCurrentCameraIndex() override { return cameraIndex; }
  bool SetCurrentCamera(int index, bool) override {
    cameraChanges.push_back(index);
    cameraIndex = index;
    return true;
  }
  bool ShowCursor(bool show) override {
    cursorShown.push_back(show);
    return true;
  }
};

// One message as the bytes of its frame.
inline std::string frameBytes(int type, conf::TlmData& message) {
  auto frame = conf::dataToMessage(type, message);
  return frame ? std::string(reinterpret_cast<const char*>(frame->frame()), frame->wireSize()) : std::string();
}

inline std::string simpleFrame(int type, int32_t value, uint32_t seq = 0) {
  conf::TlmSimple message;
  message.value = value;
  message.seq = seq;
  return frameBytes(type, message);
}

}  // namespace kvx::test
