#include "http_message.h"

#include <cctype>

namespace kvx::conf {

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

const HttpParam* HttpHeader::param(std::string_view wanted) const {
  for (const HttpParam& p : params)
    if (equalsIgnoreCase(p.name, wanted)) return &p;
  return nullptr;
}

std::string HttpHeader::serialize() const {
  std::string text = name + ": " + value;
  if (spaceAfterValue) text += ' ';
  for (const HttpParam& p : params) {
    if (separator == ';') text += ';';
    text += p.name + "=";
    text += p.unquoted ? p.value : "\"" + p.value + "\"";
    text += separator == ',' ? ", " : " ";
  }
  if (separator == ',' && !params.empty()) text.resize(text.size() - 2);
  return text + "\r\n";
}

const HttpHeader* HttpMessage::header(std::string_view wanted) const {
  for (const HttpHeader& h : headers)
    if (equalsIgnoreCase(h.name, wanted)) return &h;
  return nullptr;
}

std::string HttpMessage::serializeRequest() const {
  std::string text = method + " " + target + " " + version + "\r\n";
  for (const HttpHeader& h : headers) text += h.serialize();
  return text + "\r\n";
}

std::string HttpMessage::serializeResponse() const {
  std::string text = version + " " + std::to_string(statusCode) + " " + reason + "\r\n";
  for (const HttpHeader& h : headers) text += h.serialize();
  return text;
}

}  // namespace kvx::conf
