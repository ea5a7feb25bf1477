#include "proxy_credentials.h"

#include <cstdio>
#include <ctime>
#include <random>

#include "base64.h"
#include "services/digests.h"

namespace kvx::conf {

HttpHeader basicAuthorization(std::string_view user, std::string_view password) {
  std::string credentials(user);
  credentials += ':';
  credentials += password;
  HttpHeader header;
  header.name = "Proxy-Authorization";
  header.value = "Basic " + base64Encode(credentials);
  header.spaceAfterValue = false;
  return header;
}

bool digestAuthorization(const HttpHeader& challenge, std::string_view method, std::string_view uri,
                         std::string_view user, std::string_view password, std::string_view cnonce,
                         HttpHeader& answer, std::string& error) {
  const HttpParam* realm = challenge.param("realm");
  const HttpParam* nonce = challenge.param("nonce");
  if (!realm) {
    error = "proxy-auth: no realm ??";
    return false;
  }
  if (!nonce) {
    error = "proxy-auth: no nonce ??";
    return false;
  }
  const HttpParam* algorithm = challenge.param("algorithm");
  const HttpParam* opaque = challenge.param("opaque");
  const HttpParam* qop = challenge.param("qop");
  const std::string nc = "00000001";
  const std::string colon = ":";

  Md5 first;
  first.update(user), first.update(colon), first.update(realm->value), first.update(colon), first.update(password);
  Digest16 ha1 = first.finish();
  if (algorithm && equalsIgnoreCase(algorithm->value, "md5-sess")) {
    Md5 session;
    session.update(ha1.data(), ha1.size());
    session.update(colon), session.update(nonce->value), session.update(colon), session.update(cnonce);
    ha1 = session.finish();
  }
  Md5 second;
  second.update(method), second.update(colon), second.update(uri);
  const std::string ha2 = toHex(second.finish());

  Md5 response;
  response.update(toHex(ha1)), response.update(colon), response.update(nonce->value), response.update(colon);
  if (qop) {
    response.update(nc), response.update(colon), response.update(cnonce), response.update(colon);
    response.update(qop->value), response.update(colon);
  }
  response.update(ha2);

  answer = HttpHeader{};
  answer.name = "Proxy-Authorization";
  answer.value = "Digest";
  answer.separator = ',';
  auto add = [&](std::string name, std::string_view value, bool unquoted = false) {
    answer.params.push_back({std::move(name), std::string(value), unquoted});
  };
  add("username", user);
  add("realm", realm->value);
  add("nonce", nonce->value);
  add("uri", uri);
  if (algorithm) add("algorithm", algorithm->value);
  add("response", toHex(response.finish()));
  if (opaque) add("opaque", opaque->value);
  if (qop) {
    add("qop", qop->value);
    add("nc", nc, true);
    add("cnonce", cnonce);
  }
  return true;
}

std::string makeCnonce() {
  static const uint32_t processValue = std::random_device{}();
  char text[17];
  std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(std::time(nullptr)), processValue);
  return text;
}

}  // namespace kvx::conf
