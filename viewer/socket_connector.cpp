#include "socket_connector.h"

#include "sock_net_stream.h"

#include <wx/socket.h>

namespace kavrik {
namespace {

// A connection attempt waits at most this long, so that an unreachable
// server does not hold the window.
constexpr long kConnectTimeoutSeconds = 10;

}  // namespace

SocketConnector::SocketConnector(wxEvtHandler& events, int eventId) : events_(events), eventId_(eventId) {}

SocketConnector::~SocketConnector() {
  stream_.reset();
  if (socket_) {
    socket_->Notify(false);
    socket_->Destroy();
  }
}

std::string SocketConnector::checkAddress(const std::string& host, const std::string& port) {
  wxIPV4address address;
  if (host.empty() || !address.Hostname(wxString::FromUTF8(host))) return "Invalid host name: " + host + "\n";
  if (port.empty() || !address.Service(wxString::FromUTF8(port))) return "Invalid Service/Port: " + port + "\n";
  return {};
}

kvx::conf::NetStream* SocketConnector::connect(const std::string& host, const std::string& port,
                                               std::string& error) {
  if (!socket_) {
    socket_ = new wxSocketClient();
    stream_ = std::make_unique<SockNetStream>(*socket_);
    socket_->SetEventHandler(events_, eventId_);
    socket_->SetNotify(conferenceNotifyMask(false));
    socket_->Notify(true);
  }
  if (socket_->IsConnected()) socket_->Close();
  wxIPV4address address;
  address.Hostname(wxString::FromUTF8(host));
  address.Service(wxString::FromUTF8(port));
  socket_->SetTimeout(kConnectTimeoutSeconds);
  if (!socket_->Connect(address, true)) {
    error = std::to_string(static_cast<int>(socket_->LastError()));
    socket_->Close();
    return nullptr;
  }
  return stream_.get();
}

void SocketConnector::close() {
  if (socket_ && socket_->IsConnected()) socket_->Close();
}

bool SocketConnector::isConnected() const { return socket_ && socket_->IsConnected(); }

}  // namespace kavrik
