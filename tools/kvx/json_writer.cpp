#include "json_writer.h"

#include <cmath>
#include <cstdio>

namespace kvx::tool {
namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t utf8Length(std::string_view s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (length == 0 || i + length > s.size()) return 0;
  for (size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

void JsonWriter::separate() {
  if (needComma_) out_ += ',';
  needComma_ = true;
}

JsonWriter& JsonWriter::beginObject() {
  separate();
  out_ += '{';
  needComma_ = false;
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  out_ += '}';
  needComma_ = true;
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  separate();
  out_ += '[';
  needComma_ = false;
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  out_ += ']';
  needComma_ = true;
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  value(name);
  out_ += ':';
  needComma_ = false;
  return *this;
}

// Texts from files need not be UTF-8: stray bytes are written as the
// Latin-1 characters they would be.
JsonWriter& JsonWriter::value(std::string_view text) {
  separate();
  out_ += '"';
  char escape[8];
  for (size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out_ += '\\';
      out_ += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x80) {
      out_ += static_cast<char>(c);
    } else if (size_t length = c >= 0x80 ? utf8Length(text, i) : 0) {
      out_.append(text.substr(i, length));
      i += length;
      continue;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out_ += escape;
    }
    ++i;
  }
  out_ += '"';
  return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
  separate();
  out_ += flag ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::value(int64_t number) {
  separate();
  out_ += std::to_string(number);
  return *this;
}

JsonWriter& JsonWriter::value(float number) {
  if (!std::isfinite(number)) return null();
  separate();
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(number));
  out_ += text;
  return *this;
}

JsonWriter& JsonWriter::null() {
  separate();
  out_ += "null";
  return *this;
}

}  // namespace kvx::tool
