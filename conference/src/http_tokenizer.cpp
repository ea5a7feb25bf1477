#include "http_tokenizer.h"

namespace kvx::conf {

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
}  // namespace

HttpTokenizer::HttpTokenizer(std::string_view text, std::string_view separators, std::string& errors)
    : text_(text), separators_(separators), errors_(errors) {}

void HttpTokenizer::skipWhitespace() {
  while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
}

std::string_view HttpTokenizer::rest() {
  skipWhitespace();
  return text_.substr(at_);
}

HttpToken HttpTokenizer::next() {
  for (;;) {
    skipWhitespace();
    if (at_ >= text_.size()) return {};
    if (text_[at_] != '(') break;
    const size_t close = text_.find(')', at_);
    if (close == std::string_view::npos) {
      errors_ += "Unclosed comment ";
      at_ = text_.size();
      return {HttpToken::kError, {}};
    }
    at_ = close + 1;
  }
  const char c = text_[at_];
  if (separators_.find(c) != std::string_view::npos) {
    ++at_;
    return {HttpToken::kSeparator, std::string(1, c)};
  }
  if (c == '"') {
    const size_t start = ++at_;
    while (at_ < text_.size() && text_[at_] != '"') {
      if (text_[at_] == '\\') {
        if (++at_ >= text_.size()) {
          errors_ += "\\ at end of string ";
          return {HttpToken::kError, {}};
        }
      }
      ++at_;
    }
    if (at_ >= text_.size()) {
      errors_ += "Unclosed quoted string ";
      return {HttpToken::kError, {}};
    }
    return {HttpToken::kQuoted, std::string(text_.substr(start, at_++ - start))};
  }
  if (c == '<') {
    const size_t close = text_.find('>', at_);
    const size_t end = close == std::string_view::npos ? text_.size() : close + 1;
    HttpToken token{HttpToken::kAngle, std::string(text_.substr(at_, end - at_))};
    at_ = end;
    return token;
  }
  const size_t start = at_;
  while (at_ < text_.size() && !isSpace(text_[at_]) && text_[at_] != '(' &&
         separators_.find(text_[at_]) == std::string_view::npos)
    ++at_;
  return {HttpToken::kWord, std::string(text_.substr(start, at_ - start))};
}

}  // namespace kvx::conf
