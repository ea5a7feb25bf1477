// The proxy tunnel's HTTP model: request serialisation, tokeniser, and the
// response parser fed in chunks.
#include <gtest/gtest.h>

#include <string>

#include "http_message.h"
#include "http_tokenizer.h"

namespace kvx::conf {
namespace {

TEST(HttpRequest, SerialisesTheConnectRequest) {
  HttpMessage request;
  request.method = "CONNECT";
  request.target = "conf.example:443";
  request.version = "HTTP/1.1";
  HttpHeader host;
  host.name = "Host";
  host.value = "conf.example";
  request.headers.push_back(host);
  HttpHeader semi;
  semi.name = "X-Semi";
  semi.value = "v";
  semi.separator = ';';
  semi.params = {{"a", "1"}, {"b", "2", true}};
  request.headers.push_back(semi);
  EXPECT_EQ(request.serializeRequest(),
            "CONNECT conf.example:443 HTTP/1.1\r\n"
            "Host: conf.example \r\n"
            "X-Semi: v ;a=\"1\" ;b=2 \r\n"
            "\r\n");
}

TEST(HttpTokenizer, WordsSeparatorsQuotesCommentsAndAngles) {
  std::string errors;
  HttpTokenizer tokens(R"( Digest (a comment) realm="a \"b\"", <x y>,nc=1)", ";=:,", errors);
  std::vector<std::pair<HttpToken::Kind, std::string>> seen;
  for (HttpToken t = tokens.next(); t.kind != HttpToken::kEnd; t = tokens.next()) seen.emplace_back(t.kind, t.text);
  const std::vector<std::pair<HttpToken::Kind, std::string>> expected = {
      {HttpToken::kWord, "Digest"},     {HttpToken::kWord, "realm"},     {HttpToken::kSeparator, "="},
      {HttpToken::kQuoted, R"(a \"b\")"}, {HttpToken::kSeparator, ","}, {HttpToken::kAngle, "<x y>"},
      {HttpToken::kSeparator, ","},     {HttpToken::kWord, "nc"},        {HttpToken::kSeparator, "="},
      {HttpToken::kWord, "1"}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(errors, "");
}

TEST(HttpTokenizer, UnterminatedPiecesAreReported) {
  const std::pair<std::string, std::string> cases[] = {
      {"a (never closed", "Unclosed comment "},
      {"\"open", "Unclosed quoted string "},
      {"\"ends in \\", "\\ at end of string "},
  };
  for (const auto& [text, message] : cases) {
    std::string errors;
    HttpTokenizer tokens(text, ",", errors);
    HttpToken t;
    do t = tokens.next();
    while (t.kind != HttpToken::kEnd && t.kind != HttpToken::kError);
    EXPECT_EQ(t.kind, HttpToken::kError) << text;
    EXPECT_EQ(errors, message);
  }
}

// Feeds the text in chunks of `piece` bytes; the result of the last feed.
long feedInPieces(HttpMessage& response, const std::string& text, size_t piece) {
  long result = 0;
  for (size_t at = 0; at < text.size() && result == 0; at += piece)
    result = response.feed(std::string_view(text).substr(at, piece));
  return result;
}

TEST(HttpResponse, ParsesStatusHeadersChallengesAndReportsTheBodyStart) {
  const std::string text =
      "HTTP/1.0 407 Proxy Authentication Required\r\n"
      "Server: stub\r\n"
      "Proxy-Authenticate: Basic realm=\"basic realm\"\r\n"
      "proxy-authenticate: Digest realm=\"say \\\"hi\\\"\",\r\n"
      "\tnonce=\"abc\", qop=\"auth\", stale=false\r\n"
      "Content-Length: 5\r\n"
      "\r\n"
      "body!";
  for (size_t piece : {size_t(1), size_t(17), size_t(400)}) {
    HttpMessage response;
    const long headerBytes = feedInPieces(response, text, piece);
    ASSERT_GT(headerBytes, 0) << response.errorText;
    EXPECT_EQ(response.parseState, HttpMessage::kHeaderComplete);
    EXPECT_EQ(response.headerEnd, text.size() - 5);
    const size_t lastChunkStart = (text.size() - 5 - 1) / piece * piece;
    EXPECT_EQ(static_cast<size_t>(headerBytes), response.headerEnd - lastChunkStart);
    EXPECT_EQ(response.version, "HTTP/1.0");
    EXPECT_EQ(response.statusCode, 407);
    EXPECT_EQ(response.reason, "Proxy Authentication Required");
    ASSERT_EQ(response.headers.size(), 4u);
    const HttpHeader& digest = response.headers[2];
    EXPECT_EQ(digest.value, "Digest");
    ASSERT_EQ(digest.params.size(), 4u);
    EXPECT_EQ(digest.param("realm")->value, R"(say \"hi\")") << "escaped quotes keep their backslash";
    EXPECT_EQ(digest.param("NONCE")->value, "abc");
    EXPECT_EQ(digest.param("stale")->value, "false");
    EXPECT_EQ(response.header("content-length")->value, "5");
    EXPECT_EQ(response.errorText, "");
  }
}

TEST(HttpResponse, BareLineFeedsEndTheHeaderToo) {
  HttpMessage response;
  EXPECT_EQ(response.feed("HTTP/1.1 200 OK\nVia: x\n\nrest"), 24);
  EXPECT_EQ(response.statusCode, 200);
  EXPECT_EQ(response.header("via")->value, "x");
}

TEST(HttpResponse, ABlankContinuationLineAddsNothing) {
  HttpMessage response;
  ASSERT_GT(response.feed("HTTP/1.1 200 OK\r\nVia: x\r\n  \t\r\n\r\n"), 0);
  EXPECT_EQ(response.header("via")->value, "x");
}

TEST(HttpResponse, AsksForMoreUpTo3000BytesThenFails) {
  HttpMessage response;
  const std::string line = "X-Filler: " + std::string(88, 'f') + "\r\n";  // 100 bytes
  ASSERT_EQ(response.feed("HTTP/1.1 200 OK\r\n"), 0);
  long result = 0;
  int lines = 0;
  while (result == 0 && lines < 100) {
    result = response.feed(line);
    ++lines;
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(lines, 30) << "17 + 29 * 100 bytes is still below 3000";
  EXPECT_NE(response.errorText, "");
}

TEST(HttpResponse, FormatErrorsSayWhatIsWrong) {
  const std::pair<std::string, std::string> cases[] = {
      {"HTTP/1.1 2x0 OK\r\n\r\n", "Bad status line: HTTP/1.1 2x0 OK"},
      {"HTTP/1.1 200 OK\r\n: nameless\r\n\r\n", "No header name: : nameless"},
      {"HTTP/1.1 200 OK\r\nNoColon here\r\n\r\n", "No colon found in line:NoColon here"},
  };
  for (const auto& [text, message] : cases) {
    HttpMessage response;
    EXPECT_EQ(response.feed(text), -1) << text;
    EXPECT_NE(response.errorText.find(message), std::string::npos) << response.errorText;
  }
}

TEST(HttpResponse, AValueThatCannotBeReadIsKeptAsWrittenAndReported) {
  HttpMessage response;
  ASSERT_GT(response.feed("HTTP/1.1 407 No\r\nContent-Length: many\r\nProxy-Authenticate: Negotiate a==\r\n\r\n"), 0);
  EXPECT_EQ(response.header("proxy-authenticate")->value, "Negotiate a==");
  EXPECT_TRUE(response.header("proxy-authenticate")->params.empty());
  EXPECT_NE(response.errorText.find("Error parsing: Content-Length: many"), std::string::npos);
  EXPECT_NE(response.errorText.find("Error parsing: Proxy-Authenticate: Negotiate a=="), std::string::npos);
}

}  // namespace
}  // namespace kvx::conf
