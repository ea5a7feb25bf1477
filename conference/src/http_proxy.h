#pragma once
// Turns a connection to an HTTP proxy into a tunnel to the conference
// server with CONNECT, answering a 407 challenge with Basic or Digest.
#include <optional>
#include <string>

#include "http_message.h"

namespace kvx::conf {

class NetStream;

// Kept by the caller across the attempts of one connection series, so that
// a retry with credentials answers the stored challenge at once.
struct ProxyAuthState {
  std::optional<HttpHeader> challenge;
};

enum ProxyConnectResult { kTunnelOpen = 0, kTunnelFailed = 1, kProxyLoginRequired = 2 };

// `connection` is already connected to the proxy; host and port name the
// conference server. On kTunnelFailed `errorText` says why; on
// kProxyLoginRequired it holds the realm and `state` the challenge.
int httpProxyConnect(ProxyAuthState& state, NetStream& connection, const std::string& host,
                     const std::string& port, std::string& errorText, const std::string& user,
                     const std::string& password);

}  // namespace kvx::conf
