#include "conference_panel.h"

#include "canvas.h"
#include "frame.h"
#include "preferences.h"
#include "program_paths.h"
#include "services/debuglog.h"
#include "tl_msg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/notebook.h>
#include <wx/sizer.h>
#include <wx/socket.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

namespace kavrik {
namespace {

enum { ID_CONFERENCE_SOCKET = wxID_HIGHEST + 400 };
enum Page { CONNECTION_PAGE = 0, CONFERENCE_PAGE = 1 };

wxString fromUtf8(const std::string& text) { return wxString::FromUTF8(text); }
std::string toUtf8(const wxString& text) { return text.utf8_string(); }

}  // namespace

ConferencePanel::ConferencePanel(wxWindow* parent, MyFrame& frame, StatusSink status)
    : wxPanel(parent, wxID_ANY), frame_(frame), status_(std::move(status)), sharedView_(frame) {
  kvx::conf::setReceiveLimits(kvx::conf::kConferenceMaxLength, kvx::conf::kConferenceMaxType);

  notebook_ = new wxNotebook(this, wxID_ANY);
  notebook_->AddPage(buildConnectionPage(notebook_), "Connection");
  notebook_->AddPage(buildConferencePage(notebook_), "Conference");
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(notebook_, 1, wxEXPAND);
  SetSizer(sizer);

  ViewerCanvas* canvas = frame.canvas();
  view_ = std::make_unique<kvx::conf::ConfDpyData>(&sharedView_, frame.sdk(), canvas ? &canvas->liveManip() : nullptr,
                                                   canvas ? &canvas->liveFrameInfo() : nullptr);
  connector_ = std::make_unique<SocketConnector>(*this, ID_CONFERENCE_SOCKET);
  session_ = std::make_unique<kvx::conf::ConferenceSession>(*this, *connector_, view_.get());
  session_->setLoginName(currentUserName());
  Bind(wxEVT_SOCKET, &ConferencePanel::onSocket, this, ID_CONFERENCE_SOCKET);

  loadSettings();
  disconnected();
}

ConferencePanel::~ConferencePanel() { shutdown(); }

void ConferencePanel::shutdown() {
  if (quiet_) return;
  if (session_->isConnected()) session_->disconnect();
  frame_.hooks().clear();
  quiet_ = true;
}

wxWindow* ConferencePanel::buildConnectionPage(wxWindow* parent) {
  auto* page = new wxPanel(parent);
  auto* grid = new wxFlexGridSizer(2, 5, 5);
  grid->AddGrowableCol(1);
  auto label = [&](const char* text) {
    grid->Add(new wxStaticText(page, wxID_ANY, text), 0, wxALIGN_CENTER_VERTICAL);
  };
  label("Host");
  host_ = new wxComboBox(page, wxID_ANY, "", wxDefaultPosition, wxSize(220, -1), 0, nullptr, wxCB_DROPDOWN);
  grid->Add(host_, 1, wxEXPAND);
  useProxy_ = new wxCheckBox(page, wxID_ANY, "Use HTTP proxy");
  grid->Add(useProxy_, 0, wxALIGN_CENTER_VERTICAL);
  proxyHost_ = new wxTextCtrl(page, wxID_ANY);
  grid->Add(proxyHost_, 1, wxEXPAND);
  label("Proxy port");
  proxyPort_ = new wxTextCtrl(page, wxID_ANY);
  grid->Add(proxyPort_, 1, wxEXPAND);
  label("Conference password");
  password_ = new wxTextCtrl(page, wxID_ANY);
  grid->Add(password_, 1, wxEXPAND);
  label("Pseudo");
  pseudo_ = new wxTextCtrl(page, wxID_ANY);
  grid->Add(pseudo_, 1, wxEXPAND);
  // The buttons stand a little apart from the fields they act on.
  create_ = new wxButton(page, wxID_ANY, "Create");
  grid->Add(create_, 0, wxEXPAND | wxTOP, 6);
  connect_ = new wxButton(page, wxID_ANY, "Connect");
  grid->Add(connect_, 0, wxEXPAND | wxTOP, 6);

  useProxy_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { enableProxyFields(); });
  create_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { pressConnect(true); });
  connect_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { pressConnect(false); });

  auto* border = new wxBoxSizer(wxVERTICAL);
  border->Add(grid, 0, wxEXPAND | wxALL, 8);
  page->SetSizer(border);
  return page;
}

wxWindow* ConferencePanel::buildConferencePage(wxWindow* parent) {
  auto* page = new wxPanel(parent);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(page, wxID_ANY, "Chat:"), 0, wxLEFT | wxTOP, 4);
  log_ = new wxTextCtrl(page, wxID_ANY, "", wxDefaultPosition, wxSize(-1, 140), wxTE_MULTILINE | wxTE_READONLY);
  column->Add(log_, 1, wxEXPAND | wxALL, 4);
  chat_ = new wxTextCtrl(page, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  column->Add(chat_, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
  send_ = new wxButton(page, wxID_ANY, "Send");
  column->Add(send_, 0, wxALL, 4);
  column->Add(new wxStaticText(page, wxID_ANY, "Current users:"), 0, wxLEFT, 4);
  users_ = new wxTextCtrl(page, wxID_ANY, "", wxDefaultPosition, wxSize(-1, 60), wxTE_MULTILINE | wxTE_READONLY);
  column->Add(users_, 0, wxEXPAND | wxALL, 4);
  becomeMaster_ = new wxButton(page, wxID_ANY, "Become master");
  column->Add(becomeMaster_, 0, wxALL, 4);

  chat_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { sendChat(); });
  send_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { sendChat(); });
  becomeMaster_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { pressBecomeMaster(); });
  page->SetSizer(column);
  return page;
}

void ConferencePanel::loadSettings() {
  settings_ = kvx::conf::loadConferenceSettings([](const std::string& key) { return preferences().get(key); },
                                                currentUserName());
  fillHostList();
  pseudo_->SetValue(fromUtf8(settings_.pseudonym));
  proxyHost_->SetValue(fromUtf8(settings_.proxyHost));
  proxyPort_->SetValue(fromUtf8(settings_.proxyPort));
  useProxy_->SetValue(settings_.useProxy);
  enableProxyFields();
  session_->setProxyUser(settings_.proxyUser);
}

void ConferencePanel::saveSettings() {
  settings_.pseudonym = toUtf8(pseudo_->GetValue());
  settings_.proxyHost = toUtf8(proxyHost_->GetValue());
  settings_.proxyPort = toUtf8(proxyPort_->GetValue());
  settings_.useProxy = useProxy_->GetValue();
  settings_.proxyUser = session_->proxyUser();
  kvx::conf::saveConferenceSettings(settings_, [](const std::string& key, const std::string& value) {
    return preferences().set(key, value);
  });
}

void ConferencePanel::fillHostList() {
  host_->Clear();
  for (const std::string& entry : settings_.hosts.entries()) host_->Append(fromUtf8(entry));
  if (!settings_.hosts.entries().empty()) host_->SetValue(fromUtf8(settings_.hosts.entries().front()));
}

void ConferencePanel::enableProxyFields() {
  const bool on = useProxy_->GetValue();
  proxyHost_->Enable(on);
  proxyPort_->Enable(on);
}

void ConferencePanel::pressConnect(bool create) {
  if (session_->isConnected()) {
    session_->disconnect();
    return;
  }
  kvx::conf::ConnectRequest request;
  request.hostField = toUtf8(host_->GetValue());
  request.useProxy = useProxy_->GetValue();
  request.proxyHost = toUtf8(proxyHost_->GetValue());
  request.proxyPort = toUtf8(proxyPort_->GetValue());
  request.password = toUtf8(password_->GetValue());
  request.pseudonym = toUtf8(pseudo_->GetValue());
  request.scenePath = frame_.currentFile();
  request.create = create;
  wxBusyCursor busy;
  session_->connect(request);
}

void ConferencePanel::sendChat() {
  const std::string text = toUtf8(chat_->GetValue());
  if (session_->isConnected()) chat_->Clear();
  session_->chat(text);
}

void ConferencePanel::onSocket(wxSocketEvent& event) {
  const int socketEvent = event.GetSocketEvent();
  if (handlingSocket_) {
    inputWaiting_ |= socketEvent == wxSOCKET_INPUT;
    lostWaiting_ |= socketEvent == wxSOCKET_LOST;
    return;
  }
  handlingSocket_ = true;
  handleSocket(socketEvent);
  while (inputWaiting_ || lostWaiting_) {
    const int waiting = lostWaiting_ ? wxSOCKET_LOST : wxSOCKET_INPUT;
    inputWaiting_ = lostWaiting_ = false;
    handleSocket(waiting);
  }
  handlingSocket_ = false;
}

void ConferencePanel::handleSocket(int socketEvent) {
  switch (socketEvent) {
    case wxSOCKET_INPUT:
      session_->onInput();
      break;
    case wxSOCKET_LOST:
      if (session_->isConnected()) session_->onLost();
      break;
    default:
      break;
  }
}

void ConferencePanel::viewChanged(intptr_t panel) {
  reinterpret_cast<ConferencePanel*>(panel)->session_->updateconference();
}

void ConferencePanel::log(const std::string& text) {
  if (quiet_) return;
  // The debug log keeps what the conference said, for support and tests.
  KVX_LOG(kvx::LOG_INFO, "ConferencePanel::log: %s", text.c_str());
  log_->AppendText(fromUtf8(text));
  notebook_->SetSelection(CONFERENCE_PAGE);
}

void ConferencePanel::showUsers(const std::string& text) { users_->SetValue(fromUtf8(text)); }

void ConferencePanel::showNotice(const std::string& text) { frame_.prompts().showMessage(this, text, "Message"); }

void ConferencePanel::beep() { wxBell(); }

void ConferencePanel::loginRefused(int, const std::string& text) {
  if (!text.empty()) frame_.prompts().showError(this, text, "Connection Error");
}

void ConferencePanel::masterRefused() { frame_.prompts().showMessage(this, "Master status refused", "Master release"); }

bool ConferencePanel::askRelease() {
  return frame_.prompts().confirm(this, "Ok to release master status ?", "Master release");
}

void ConferencePanel::roleChanged(bool master) {
  KVX_LOG(kvx::LOG_INFO, "ConferencePanel::roleChanged: %s\n", master ? "master" : "slave");
  if (master)
    frame_.hooks().set(FrameHooks::VIEW_CHANGED, &ConferencePanel::viewChanged, reinterpret_cast<intptr_t>(this));
  else
    frame_.hooks().clear();
  if (!quiet_) becomeMaster_->Enable(!master && session_->isConnected());
}

std::optional<kvx::conf::ProxyLogin> ConferencePanel::askProxyLogin(const std::string& message,
                                                                   const std::string& presetUser) {
  auto login = frame_.prompts().askLogin(this, message, presetUser);
  if (!login) return std::nullopt;
  return kvx::conf::ProxyLogin{login->user, login->password};
}

void ConferencePanel::proxyError(const std::string& text) {
  frame_.prompts().showError(this, text, "Proxy connection error");
}

void ConferencePanel::missingPseudonym() { frame_.prompts().showMessage(this, "Please enter pseudonym", "No Pseudo"); }

void ConferencePanel::serverReached(const std::string& hostPort) {
  settings_.hosts.remember(hostPort);
  fillHostList();
  saveSettings();
}

void ConferencePanel::connected() {
  host_->Disable();
  password_->Disable();
  pseudo_->Disable();
  create_->Disable();
  connect_->SetLabel("Disconnect");
  notebook_->SetSelection(CONFERENCE_PAGE);
  status_("Connected");
  KVX_LOG(kvx::LOG_INFO, "ConferencePanel::connected\n");
}

void ConferencePanel::disconnected() {
  KVX_LOG(kvx::LOG_INFO, "ConferencePanel::disconnected\n");
  frame_.hooks().clear();
  if (frame_.sdk()) frame_.sdk()->ShowCursor(false);
  if (quiet_) return;
  host_->Enable();
  password_->Enable();
  pseudo_->Enable();
  if (!settings_.hosts.entries().empty()) host_->SetValue(fromUtf8(settings_.hosts.entries().front()));
  becomeMaster_->Disable();
  connect_->SetLabel("Connect");
  create_->Enable();
  status_("Disconnected");
}

}  // namespace kavrik
