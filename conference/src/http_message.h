#pragma once
// The small HTTP message model of the proxy tunnel: a CONNECT request and
// the proxy's response, with a response parser fed chunk by chunk.
#include <string>
#include <string_view>
#include <vector>

namespace kvx::conf {

struct HttpParam {
  std::string name;
  std::string value;
  bool unquoted = false;  // written without double quotes
};

struct HttpHeader {
  std::string name;
  // For a challenge or credentials: the scheme word.
  std::string value;
  std::vector<HttpParam> params;
  // ',' for authentication headers, else ';' or ' '.
  char separator = ' ';
  // The space written after the value (and before any parameters). Some
  // proxies compare credentials byte for byte and refuse it.
  bool spaceAfterValue = true;

  // The first parameter of that name, matched without regard to case.
  const HttpParam* param(std::string_view name) const;
  std::string serialize() const;
};

bool equalsIgnoreCase(std::string_view a, std::string_view b);

class HttpMessage {
 public:
  static constexpr int kHeaderComplete = 3;
  static constexpr size_t kMaxHeaderText = 3000;

  // A request: method, target and version. A response: version, status
  // code and reason.
  std::string method;
  std::string target;
  std::string version;
  int statusCode = 0;
  std::string reason;
  std::vector<HttpHeader> headers;
  int parseState = 0;
  size_t headerEnd = 0;  // offset just past the empty line
  std::string errorText;
  std::string accumulated;

  // The first header of that name, matched without regard to case.
  const HttpHeader* header(std::string_view name) const;

  std::string serializeRequest() const;
  // The status line and the headers, for error reports.
  std::string serializeResponse() const;

  // Adds a received chunk of a response. Returns how many bytes of this
  // chunk belong to the header once it is complete, 0 when more is needed,
  // -1 on a format error (described in errorText).
  long feed(std::string_view chunk);

 private:
  bool parseHeader(std::string_view text);
  bool parseStatusLine(std::string_view line);
  bool parseHeaderLine(const std::string& line);
};

}  // namespace kvx::conf
