#include "http_proxy.h"

#include <cstdlib>

#include "net_stream.h"
#include "proxy_credentials.h"

namespace kvx::conf {

namespace {
constexpr int kChunkSize = 400;

// Adds credentials for the stored challenge; false with `errorText` set.
bool addCredentials(const HttpHeader& challenge, const std::string& target, const std::string& user,
                    const std::string& password, HttpMessage& request, std::string& errorText) {
  if (equalsIgnoreCase(challenge.value, "basic")) {
    request.headers.push_back(basicAuthorization(user, password));
    return true;
  }
  if (equalsIgnoreCase(challenge.value, "digest")) {
    HttpHeader answer;
    if (!digestAuthorization(challenge, "CONNECT", target, user, password, makeCnonce(), answer, errorText))
      return false;
    request.headers.push_back(std::move(answer));
    return true;
  }
  errorText = "Bad authentication challenge from proxy server: " + challenge.value;
  return false;
}

// Reads and drops what is left of a 407 body.
bool discardBody(NetStream& connection, const HttpMessage& response, long bodyBytesReceived,
                 std::string& errorText) {
  const HttpHeader* length = response.header("content-length");
  if (!length) return true;
  long left = std::atol(length->value.c_str()) - bodyBytesReceived;
  char chunk[kChunkSize];
  while (left > 0) {
    const int got = connection.read(chunk, left < kChunkSize ? static_cast<int>(left) : kChunkSize);
    if (got <= 0) {
      errorText = "Network data read error";
      return false;
    }
    left -= got;
  }
  return true;
}

// The last Digest challenge if any, else the last Basic one.
const HttpHeader* chooseChallenge(const HttpMessage& response) {
  const HttpHeader* digest = nullptr;
  const HttpHeader* basic = nullptr;
  for (const HttpHeader& h : response.headers) {
    if (!equalsIgnoreCase(h.name, "proxy-authenticate")) continue;
    if (equalsIgnoreCase(h.value, "digest")) digest = &h;
    if (equalsIgnoreCase(h.value, "basic")) basic = &h;
  }
  return digest ? digest : basic;
}
}  // namespace

int httpProxyConnect(ProxyAuthState& state, NetStream& connection, const std::string& host,
                     const std::string& port, std::string& errorText, const std::string& user,
                     const std::string& password) {
  HttpMessage request;
  request.method = "CONNECT";
  request.target = host + ":" + port;
  request.version = "HTTP/1.1";
  HttpHeader hostHeader;
  hostHeader.name = "Host";
  hostHeader.value = host;
  request.headers.push_back(std::move(hostHeader));
  if (state.challenge && !user.empty() &&
      !addCredentials(*state.challenge, request.target, user, password, request, errorText))
    return kTunnelFailed;

  const std::string text = request.serializeRequest();
  if (connection.write(text.data(), static_cast<int>(text.size())) < static_cast<int>(text.size())) {
    errorText = "Network write error";
    return kTunnelFailed;
  }

  HttpMessage response;
  long headerBytes = 0;
  int lastChunk = 0;
  while (headerBytes == 0) {
    char chunk[kChunkSize];
    lastChunk = connection.read(chunk, kChunkSize);
    if (lastChunk <= 0) {
      errorText = "Network header read error";
      return kTunnelFailed;
    }
    headerBytes = response.feed(std::string_view(chunk, lastChunk));
    if (headerBytes < 0) {
      errorText = "HTTP Format error" + response.errorText;
      return kTunnelFailed;
    }
  }

  if (response.statusCode >= 200 && response.statusCode <= 299) return kTunnelOpen;
  if (response.statusCode != 407) {
    errorText = "Bad status from server:\n" + response.serializeResponse();
    return kTunnelFailed;
  }
  if (!discardBody(connection, response, lastChunk - headerBytes, errorText)) return kTunnelFailed;
  if (!user.empty()) {
    errorText = "Authorization failed";
    return kTunnelFailed;
  }
  const HttpHeader* challenge = chooseChallenge(response);
  if (!challenge) {
    errorText = "No supported proxy-authenticate header in proxy 407 response";
    return kTunnelFailed;
  }
  state.challenge = *challenge;
  const HttpParam* realm = challenge->param("realm");
  errorText = realm ? realm->value : "";
  return kProxyLoginRequired;
}

}  // namespace kvx::conf
