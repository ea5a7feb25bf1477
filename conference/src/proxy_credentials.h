#pragma once
// The Proxy-Authorization answers to a proxy's challenge (RFC 2617).
#include <string>
#include <string_view>

#include "http_message.h"

namespace kvx::conf {

HttpHeader basicAuthorization(std::string_view user, std::string_view password);

// Digest answer to `challenge` for a request of `method` on `uri`. Returns
// false with `error` set when the challenge lacks its realm or nonce.
bool digestAuthorization(const HttpHeader& challenge, std::string_view method, std::string_view uri,
                         std::string_view user, std::string_view password, std::string_view cnonce,
                         HttpHeader& answer, std::string& error);

// The current time in seconds and a per-process value, as 16 hex digits.
std::string makeCnonce();

}  // namespace kvx::conf
