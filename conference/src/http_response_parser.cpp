// Parsing of a proxy's response header, fed in chunks.
#include <cctype>
#include <cstdlib>

#include "http_message.h"
#include "http_tokenizer.h"

namespace kvx::conf {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The scheme word, then name=value parameters separated by commas.
bool parseChallenge(HttpHeader& header, std::string& errors) {
  HttpTokenizer tokens(header.value, ";=:,", errors);
  HttpToken scheme = tokens.next();
  if (scheme.kind != HttpToken::kWord) return false;
  std::vector<HttpParam> params;
  for (HttpToken token = tokens.next(); token.kind != HttpToken::kEnd; token = tokens.next()) {
    if (token.isSeparator(',')) continue;
    if (token.kind != HttpToken::kWord || !tokens.next().isSeparator('=')) return false;
    HttpToken value = tokens.next();
    if (!value.isWordLike()) return false;
    params.push_back({token.text, value.text, false});
  }
  header.value = scheme.text;
  header.params = std::move(params);
  header.separator = ',';
  return true;
}

bool parseInteger(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}
}  // namespace

long HttpMessage::feed(std::string_view chunk) {
  const size_t before = accumulated.size();
  accumulated.append(chunk);
  size_t end = accumulated.find("\r\n\r\n");
  if (end != std::string::npos) {
    end += 4;
  } else if ((end = accumulated.find("\n\n")) != std::string::npos) {
    end += 2;
  } else {
    if (accumulated.size() <= kMaxHeaderText) return 0;
    errorText += "Header too long ";
    return -1;
  }
  if (!parseHeader(std::string_view(accumulated).substr(0, end))) return -1;
  headerEnd = end;
  parseState = kHeaderComplete;
  return static_cast<long>(end - before);
}

bool HttpMessage::parseHeader(std::string_view text) {
  std::vector<std::string> lines;
  bool endedByEmptyLine = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t lf = text.find('\n', at);
    if (lf == std::string_view::npos) lf = text.size();
    std::string_view line = text.substr(at, lf - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at = lf + 1;
    if (line.empty()) {
      endedByEmptyLine = true;
      break;
    }
    if (isBlank(line.front()) && lines.size() > 1) {
      const size_t text = line.find_first_not_of(" \t");
      if (text != std::string_view::npos) lines.back().append(" ").append(line.substr(text));
    } else
      lines.emplace_back(line);
  }
  if (lines.empty() || !parseStatusLine(lines.front())) return false;
  if (!endedByEmptyLine) {
    errorText += "Missing final empty line. ";
    return false;
  }
  for (size_t i = 1; i < lines.size(); ++i)
    if (!parseHeaderLine(lines[i])) return false;
  return true;
}

bool HttpMessage::parseStatusLine(std::string_view line) {
  const size_t versionEnd = line.find_first_of(" \t");
  const size_t codeStart = line.find_first_not_of(" \t", versionEnd);
  if (versionEnd == 0 || codeStart == std::string_view::npos) {
    errorText += "Bad status line: " + std::string(line);
    return false;
  }
  size_t codeEnd = line.find_first_of(" \t", codeStart);
  if (codeEnd == std::string_view::npos) codeEnd = line.size();
  const std::string code(line.substr(codeStart, codeEnd - codeStart));
  if (!parseInteger(code) || code.size() > 3) {
    errorText += "Bad status line: " + std::string(line);
    return false;
  }
  version = std::string(line.substr(0, versionEnd));
  statusCode = std::atoi(code.c_str());
  const size_t reasonStart = line.find_first_not_of(" \t", codeEnd);
  reason = reasonStart == std::string_view::npos ? "" : std::string(line.substr(reasonStart));
  return true;
}

bool HttpMessage::parseHeaderLine(const std::string& line) {
  HttpTokenizer tokens(line, ":", errorText);
  HttpToken name = tokens.next();
  if (name.kind != HttpToken::kWord) {
    errorText += "No header name: " + line;
    return false;
  }
  if (!tokens.next().isSeparator(':')) {
    errorText += "No colon found in line:" + line;
    return false;
  }
  HttpHeader header;
  header.name = name.text;
  header.value = std::string(tokens.rest());
  while (!header.value.empty() && isBlank(header.value.back())) header.value.pop_back();
  // A value that cannot be read further stays as written: the header is
  // then just not understood, which the tunnel reports where it matters.
  bool understood = true;
  if (equalsIgnoreCase(header.name, "content-length"))
    understood = parseInteger(header.value);
  else if (equalsIgnoreCase(header.name, "proxy-authenticate"))
    understood = parseChallenge(header, errorText);
  if (!understood) errorText += "Error parsing: " + line + " ";
  headers.push_back(std::move(header));
  return true;
}

}  // namespace kvx::conf
