#pragma once
// Opens the conference socket for a session: one wxSocketClient made on
// first use and reused, its events sent to the conference panel on the GUI
// thread.
#include "conference_connector.h"

#include <memory>

class wxEvtHandler;
class wxSocketClient;

namespace kavrik {

class SockNetStream;

class SocketConnector : public kvx::conf::ConferenceConnector {
 public:
  SocketConnector(wxEvtHandler& events, int eventId);
  ~SocketConnector() override;

  std::string checkAddress(const std::string& host, const std::string& port) override;
  kvx::conf::NetStream* connect(const std::string& host, const std::string& port, std::string& error) override;
  void close() override;
  bool isConnected() const override;

 private:
  wxEvtHandler& events_;
  int eventId_;
  wxSocketClient* socket_ = nullptr;
  std::unique_ptr<SockNetStream> stream_;
};

}  // namespace kavrik
