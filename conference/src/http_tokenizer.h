#pragma once
// Splits HTTP header lines and values into words, quoted strings, <...>
// words and one-character separators; comments in parentheses are skipped.
#include <string>
#include <string_view>

namespace kvx::conf {

struct HttpToken {
  enum Kind { kEnd, kWord, kQuoted, kAngle, kSeparator, kError };
  Kind kind = kEnd;
  // Quoted strings keep their backslash escapes as written.
  std::string text;

  bool isSeparator(char c) const { return kind == kSeparator && text.size() == 1 && text[0] == c; }
  bool isWordLike() const { return kind == kWord || kind == kQuoted; }
};

class HttpTokenizer {
 public:
  // Problems are appended to `errors`.
  HttpTokenizer(std::string_view text, std::string_view separators, std::string& errors);

  HttpToken next();
  // The text after the last token, without leading whitespace.
  std::string_view rest();

 private:
  void skipWhitespace();

  std::string_view text_;
  std::string_view separators_;
  std::string& errors_;
  size_t at_ = 0;
};

}  // namespace kvx::conf
