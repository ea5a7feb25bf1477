// A proxy's answers to the tunnel request. The first byte picks the largest
// piece one read hands out; the rest is what the proxy sends. A 407 answer
// is followed by a second attempt with credentials on the rest of the
// input, so that the stored challenge is answered too.
#include "fuzz_entries.h"
#include "fuzzed_connection.h"
#include "http_message.h"
#include "http_proxy.h"

#include <string>

namespace kvx::fuzz {

int http_proxy(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int maxPiece = 1 + data[0] * 17;
  const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);

  // The parser alone, fed in those pieces until it has a header or fails.
  conf::HttpMessage response;
  for (size_t at = 0; at < input.size();) {
    const size_t piece = std::min(input.size() - at, static_cast<size_t>(maxPiece));
    const long result = response.feed(input.substr(at, piece));
    at += piece;
    if (result != 0) {
      if (result > 0) (void)response.serializeResponse();
      break;
    }
  }

  FuzzedConnection connection(input, maxPiece);
  conf::ProxyAuthState state;
  std::string error;
  if (conf::httpProxyConnect(state, connection, "conference.example", "5800", error, "", "") ==
      conf::kProxyLoginRequired)
    conf::httpProxyConnect(state, connection, "conference.example", "5800", error, "user", "secret");
  return 0;
}

}  // namespace kvx::fuzz
