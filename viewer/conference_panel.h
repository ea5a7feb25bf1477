#pragma once
// The conference window's panel: the "Connection" page (server, proxy,
// password, pseudonym, Create and Connect) and the "Conference" page (log,
// chat, current users, Become master). It drives a ConferenceSession over
// the program's socket and shares the main frame's view.
#include "conf_dpy_data.h"
#include "conference_events.h"
#include "conference_session.h"
#include "conference_settings.h"
#include "frame_shared_view.h"
#include "socket_connector.h"

#include <wx/panel.h>

#include <functional>
#include <memory>

class wxButton;
class wxCheckBox;
class wxComboBox;
class wxNotebook;
class wxSocketEvent;
class wxTextCtrl;

namespace kavrik {

class MyFrame;

class ConferencePanel : public wxPanel, public kvx::conf::ConferenceEvents {
 public:
  using StatusSink = std::function<void(const std::string&)>;
  ConferencePanel(wxWindow* parent, MyFrame& frame, StatusSink status);
  ~ConferencePanel() override;

  bool isConnected() const { return session_->isConnected(); }
  bool isMaster() const { return session_->isMaster(); }
  void disconnect() { session_->disconnect(); }
  // Disconnects while the windows still exist; the panel then stays quiet.
  void shutdown();

  // The buttons and the chat entry, also pressed by tests.
  void pressConnect(bool create);
  void sendChat();
  void pressBecomeMaster() { session_->requestMaster(); }

  wxNotebook* notebook() const { return notebook_; }
  wxComboBox* hostField() const { return host_; }
  wxCheckBox* useProxy() const { return useProxy_; }
  wxTextCtrl* proxyHost() const { return proxyHost_; }
  wxTextCtrl* proxyPort() const { return proxyPort_; }
  wxTextCtrl* password() const { return password_; }
  wxTextCtrl* pseudonym() const { return pseudo_; }
  wxButton* createButton() const { return create_; }
  wxButton* connectButton() const { return connect_; }
  wxTextCtrl* logBox() const { return log_; }
  wxTextCtrl* chatEntry() const { return chat_; }
  wxButton* sendButton() const { return send_; }
  wxTextCtrl* usersBox() const { return users_; }
  wxButton* becomeMasterButton() const { return becomeMaster_; }
  const kvx::conf::ConferenceSettings& settings() const { return settings_; }

  // ConferenceEvents
  void log(const std::string& text) override;
  void showUsers(const std::string& text) override;
  void showNotice(const std::string& text) override;
  void beep() override;
  void loginRefused(int status, const std::string& text) override;
  void masterRefused() override;
  bool askRelease() override;
  void roleChanged(bool master) override;
  std::optional<kvx::conf::ProxyLogin> askProxyLogin(const std::string& message, const std::string& presetUser) override;
  void proxyError(const std::string& text) override;
  void missingPseudonym() override;
  void serverReached(const std::string& hostPort) override;
  void connected() override;
  void disconnected() override;

 private:
  wxWindow* buildConnectionPage(wxWindow* parent);
  wxWindow* buildConferencePage(wxWindow* parent);
  void loadSettings();
  void saveSettings();
  void fillHostList();
  void enableProxyFields();
  void onSocket(wxSocketEvent& event);
  void handleSocket(int socketEvent);
  static void viewChanged(intptr_t panel);

  MyFrame& frame_;
  StatusSink status_;
  bool quiet_ = false;
  // A prompt shown while a message is handled runs a nested event loop;
  // socket events arriving then wait until that message is done.
  bool handlingSocket_ = false;
  bool inputWaiting_ = false;
  bool lostWaiting_ = false;
  FrameSharedView sharedView_;
  std::unique_ptr<kvx::conf::ConfDpyData> view_;
  std::unique_ptr<SocketConnector> connector_;
  std::unique_ptr<kvx::conf::ConferenceSession> session_;
  kvx::conf::ConferenceSettings settings_;

  wxNotebook* notebook_ = nullptr;
  wxComboBox* host_ = nullptr;
  wxCheckBox* useProxy_ = nullptr;
  wxTextCtrl* proxyHost_ = nullptr;
  wxTextCtrl* proxyPort_ = nullptr;
  wxTextCtrl* password_ = nullptr;
  wxTextCtrl* pseudo_ = nullptr;
  wxButton* create_ = nullptr;
  wxButton* connect_ = nullptr;
  wxTextCtrl* log_ = nullptr;
  wxTextCtrl* chat_ = nullptr;
  wxButton* send_ = nullptr;
  wxTextCtrl* users_ = nullptr;
  wxButton* becomeMaster_ = nullptr;
};

}  // namespace kavrik
