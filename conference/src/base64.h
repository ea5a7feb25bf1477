#pragma once
// Base64 (RFC 4648 alphabet, "=" padding) as used for Basic credentials.
#include <string>
#include <string_view>

namespace kvx::conf {

// Breaks the text with CR LF after every 300 input bytes; no line end at
// the very end.
std::string base64Encode(std::string_view bytes);

}  // namespace kvx::conf
