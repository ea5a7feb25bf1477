// The persisted stream byte for byte, and streams whose sizes do not add up.
#include "memory_stream.h"
#include "stream_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace glimmer {
namespace {

using namespace std::string_literals;

// Little-endian helpers to spell expected streams.
std::string u16le(uint16_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string u32le(uint32_t v) { return u16le(v & 0xFFFF) + u16le(v >> 16); }
std::string wide(const std::u16string& s) {
  std::string out = u32le(static_cast<uint32_t>(s.size() * 2 + 2));
  for (char16_t c : s) out += u16le(c);
  return out + "\0\0"s;
}
std::string framework(uint32_t cx, uint32_t cy) { return u32le(0x0300) + u16le(19) + u32le(cx) + u16le(19) + u32le(cy); }
std::string kindVariant(uint8_t kind) { return u16le(17) + std::string(1, static_cast<char>(kind)); }

std::string save(const PersistedStream& content) {
  auto* stream = new MemoryStream();
  EXPECT_TRUE(writePersistedStream(stream, content));
  std::string bytes = stream->bytes();
  stream->Release();
  return bytes;
}

StreamReadResult load(const std::string& bytes) {
  auto* stream = new MemoryStream(bytes);
  StreamReadResult result = readPersistedStream(stream);
  stream->Release();
  return result;
}

TEST(StreamLayout, EmbeddedDocumentIsWrittenFieldByField) {
  PersistedStream content;
  content.document = DocumentRecord{KIND_EMBEDDED, u"KAVRIK", u"/data/Pump\u00e9.kvx", "KVX\0\1\2"s};
  content.framework = {0x0300, 5080, 2540};
  const std::string expected = kindVariant(3) + wide(u"KAVRIK") + wide(u"/data/Pump\u00e9.kvx") + u16le(23) +
                               u32le(6) + "KVX\0\1\2"s + framework(5080, 2540);
  EXPECT_EQ(save(content), expected);

  const StreamReadResult back = load(expected);
  ASSERT_EQ(back.verdict, StreamVerdict::Read);
  ASSERT_TRUE(back.content.document);
  EXPECT_EQ(back.content.document->kind, KIND_EMBEDDED);
  EXPECT_EQ(back.content.document->tag, u"KAVRIK");
  EXPECT_EQ(back.content.document->name, u"/data/Pump\u00e9.kvx");
  EXPECT_EQ(back.content.document->fileBytes, "KVX\0\1\2"s);
  EXPECT_EQ(back.content.framework.cx, 5080u);
  EXPECT_EQ(back.content.framework.cy, 2540u);
}

TEST(StreamLayout, AbsentStringsAreWrittenAsZeroCounts) {
  PersistedStream content;
  content.document = DocumentRecord{KIND_EMBEDDED, std::nullopt, std::nullopt, ""};
  EXPECT_EQ(save(content), kindVariant(3) + u32le(0) + u32le(0) + u16le(23) + u32le(0) + framework(0, 0));
}

TEST(StreamLayout, EmptyControlWritesOnlyThePropertyBlockAndReadsBackEmpty) {
  PersistedStream content;
  content.framework = {0x0300, 100, 200};
  const std::string bytes = save(content);
  EXPECT_EQ(bytes, framework(100, 200));
  const StreamReadResult back = load(bytes);
  ASSERT_EQ(back.verdict, StreamVerdict::Read);
  EXPECT_FALSE(back.content.document);
  EXPECT_EQ(back.content.framework.cy, 200u);
}

TEST(StreamLayout, OlderKindsAreRead) {
  // kind 0: nothing but the kind
  StreamReadResult empty = load(kindVariant(0) + framework(1, 2));
  ASSERT_EQ(empty.verdict, StreamVerdict::Read);
  EXPECT_EQ(empty.content.document->kind, KIND_EMPTY);

  // kind 1: a link by name
  StreamReadResult link = load(kindVariant(1) + wide(u"TAG") + wide(u"http://h/a.kvx") + framework(1, 2));
  ASSERT_EQ(link.verdict, StreamVerdict::Read);
  EXPECT_EQ(link.content.document->kind, KIND_LINK);
  EXPECT_EQ(link.content.document->name, u"http://h/a.kvx");

  // kind 2: every byte a variant of its own
  std::string older = kindVariant(2) + wide(u"KAVRIK") + wide(u"c:\\x\\b.kvx") + u16le(23) + u32le(3);
  for (char c : "xyz"s) older += kindVariant(static_cast<uint8_t>(c));
  StreamReadResult embedded = load(older + framework(1, 2));
  ASSERT_EQ(embedded.verdict, StreamVerdict::Read);
  EXPECT_EQ(embedded.content.document->fileBytes, "xyz");
}

TEST(StreamLayout, NewerKindIsRecognisedBeforeAnythingElse) {
  const StreamReadResult newer = load(kindVariant(4) + "whatever follows"s);
  EXPECT_EQ(newer.verdict, StreamVerdict::NewerKind);
  EXPECT_EQ(newer.kind, 4);
}

TEST(StreamLayout, StreamsThatDoNotAddUpAreRefused) {
  const std::string head = kindVariant(3) + wide(u"KAVRIK") + wide(u"a.kvx");
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty stream", ""},
      {"count past the end", head + u16le(23) + u32le(1000) + "short"s},
      {"negative size", head + u16le(23) + u32le(0xFFFFFFF0u) + "x"s},
      {"size over the limit", head + u16le(23) + u32le(kMaxEmbeddedBytes + 1)},
      {"string without terminator", kindVariant(3) + u32le(4) + "a\0b\0"s + wide(u"n") + u16le(23) + u32le(0) +
                                        framework(0, 0)},
      {"odd string count", kindVariant(3) + u32le(3) + "ab\0"s},
      {"string count past the end", kindVariant(3) + u32le(0x7FFFFFF0u) + "ab"s},
      {"wrong size type", head + u16le(19) + u32le(0) + framework(0, 0)},
      {"missing property block", head + u16le(23) + u32le(0)},
      {"truncated property block", head + u16le(23) + u32le(0) + framework(0, 0).substr(0, 9)},
      {"kind without its byte", u16le(17)},
      {"kind-2 byte of the wrong type", kindVariant(2) + wide(u"K") + wide(u"n") + u16le(23) + u32le(1) + u16le(19) +
                                            "x"s + framework(0, 0)},
      {"property block from a newer version", u32le(0x0400) + u16le(19) + u32le(0) + u16le(19) + u32le(0)},
  };
  for (const Case& c : cases) {
    const StreamReadResult result = load(c.bytes);
    EXPECT_EQ(result.verdict, StreamVerdict::Corrupt) << c.what;
    EXPECT_FALSE(result.problem.empty()) << c.what;
  }
}

}  // namespace
}  // namespace glimmer
