// Byte streams, buffers, framing and the conference message classes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "byte_stream.h"
#include "data_to_message.h"
#include "log_capture.h"
#include "mem_buf.h"
#include "memory_net_stream.h"
#include "tl_msg.h"
#include "tlm_messages.h"

namespace kvx::conf {
namespace {

std::string frameBytes(const TlMsg& message) {
  return std::string(reinterpret_cast<const char*>(message.frame()), message.wireSize());
}

// A header announcing `type` and `length`, the payload bytes and padding.
std::string wireFrame(int type, int length, char fill = 'x') {
  std::string frame = {char(type >> 8), char(type), char(length >> 8), char(length)};
  frame += std::string(length, fill);
  if (frame.size() < 108) frame.resize(108, '\0');
  return frame;
}

// Sets the conference limits for one test and restores the defaults.
struct ConferenceLimits {
  ConferenceLimits() { setReceiveLimits(kConferenceMaxLength, kConferenceMaxType); }
  ~ConferenceLimits() { setReceiveLimits(kDefaultMaxLength, kDefaultMaxType); }
};

template <class Message>
Message roundTrip(Message& sent, int type, int expectedPayload) {
  auto frame = dataToMessage(type, sent);
  EXPECT_TRUE(frame);
  EXPECT_EQ(frame->payloadLength(), expectedPayload);
  EXPECT_EQ(frame->type(), type);
  Message received;
  ByteStreamIn in(frame->payload(), frame->payloadLength());
  EXPECT_EQ(received.serialize(in), 0);
  EXPECT_EQ(in.remaining(), 0u);
  return received;
}

TEST(MemBuf, GrowsFromInlineTo400ThenDoublesByAtMost20000) {
  MemBuf buffer;
  EXPECT_FALSE(buffer.onHeap());
  EXPECT_EQ(buffer.capacity(), 200);
  ASSERT_TRUE(buffer.reserve(200));
  EXPECT_FALSE(buffer.onHeap()) << "exactly full still fits inline";
  ASSERT_TRUE(buffer.reserve(1));
  EXPECT_TRUE(buffer.onHeap());
  EXPECT_EQ(buffer.capacity(), 400);
  buffer.reset();
  ASSERT_TRUE(buffer.reserve(30000));
  EXPECT_EQ(buffer.capacity(), 45600) << "doubling from 400 to 25600, then 20000 a step";
  ASSERT_TRUE(buffer.reserve(20000));
  EXPECT_EQ(buffer.capacity(), 65600);
  EXPECT_FALSE(buffer.reserve(-1));
  EXPECT_FALSE(buffer.reserve(0x7fffffff)) << "a reservation beyond what an int can count fails";
}

TEST(MemBuf, A300CharacterStringThen500BytesGrowsTo400Then800Then1600) {
  MemBuf* buffer = new MemBuf;
  ByteStreamOut out(buffer, true);
  const std::string text(300, 'a');
  const char* pointer = text.c_str();
  ASSERT_EQ(out.stringRef(pointer), 0);
  EXPECT_EQ(buffer->size(), 301);
  EXPECT_EQ(buffer->capacity(), 400);
  ASSERT_TRUE(buffer->reserve(250));
  EXPECT_EQ(buffer->capacity(), 800);
  ASSERT_TRUE(buffer->reserve(250));
  EXPECT_EQ(buffer->capacity(), 1600);
}

TEST(MemBuf, DetachHandsOverTheContentAndLeavesItEmptyInline) {
  for (int size : {10, 300}) {
    MemBuf buffer;
    std::string content(size, 'q');
    buffer.write(content.data(), size);
    uint8_t* block = buffer.detach();
    ASSERT_TRUE(block);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block), size), content);
    std::free(block);
    EXPECT_EQ(buffer.size(), 0);
    EXPECT_FALSE(buffer.onHeap());
    EXPECT_EQ(buffer.capacity(), 200);
  }
}

TEST(ByteStream, WritesBigEndianAndReadsBack) {
  MemBuf buffer;
  ByteStreamOut out(&buffer, false);
  int32_t i32 = -2;
  int16_t i16 = -3;
  uint32_t u32 = 0x01020304;
  uint16_t u16 = 0xa0b0;
  float f = 1.5f;
  double d = -0.25;
  const char* text = "hi";
  const char* none = nullptr;
  char into[8] = "abc";
  ASSERT_EQ(out.int32(i32), 0);
  ASSERT_EQ(out.int16(i16), 0);
  ASSERT_EQ(out.uint32(u32), 0);
  ASSERT_EQ(out.uint16(u16), 0);
  ASSERT_EQ(out.float32(f), 0);
  ASSERT_EQ(out.float64(d), 0);
  ASSERT_EQ(out.stringRef(text), 0);
  ASSERT_EQ(out.stringRef(none), 0);
  ASSERT_EQ(out.stringInto(into, 5), 0) << "stops at the string's end";
  const std::string expected("\xff\xff\xff\xfe\xff\xfd\x01\x02\x03\x04\xa0\xb0\x3f\xc0\x00\x00"
                             "\xbf\xd0\x00\x00\x00\x00\x00\x00hi\0\0abc\0",
                             32);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), buffer.size()), expected);

  ByteStreamIn in(buffer.data(), buffer.size());
  int32_t ri32;
  int16_t ri16;
  uint32_t ru32;
  uint16_t ru16;
  float rf;
  double rd;
  const char* rtext;
  const char* rnone;
  char rinto[3];
  EXPECT_EQ(in.int32(ri32), 0);
  EXPECT_EQ(in.int16(ri16), 0);
  EXPECT_EQ(in.uint32(ru32), 0);
  EXPECT_EQ(in.uint16(ru16), 0);
  EXPECT_EQ(in.float32(rf), 0);
  EXPECT_EQ(in.float64(rd), 0);
  EXPECT_EQ(in.stringRef(rtext), 0);
  EXPECT_EQ(in.stringRef(rnone), 0);
  EXPECT_EQ(in.stringInto(rinto, 2), 0) << "copies at most n characters and terminates";
  EXPECT_EQ(std::make_tuple(ri32, ri16, ru32, ru16, rf, rd), std::make_tuple(-2, int16_t(-3), 0x01020304u,
                                                                             uint16_t(0xa0b0), 1.5f, -0.25));
  EXPECT_STREQ(rtext, "hi");
  EXPECT_STREQ(rnone, "");
  EXPECT_STREQ(rinto, "ab");
  EXPECT_EQ(in.remaining(), 0u);
  EXPECT_LT(in.int16(ri16), 0) << "reading past the end fails";
}

TEST(ByteStream, LittleEndianWhenAsked) {
  MemBuf buffer;
  ByteStreamOut out(&buffer, false, true);
  uint32_t value = 0x01020304;
  out.uint32(value);
  EXPECT_EQ(std::memcmp(buffer.data(), "\x04\x03\x02\x01", 4), 0);
}

TEST(ByteStream, StringsWithoutTheirZeroByteFailAndLeaveTheCursor) {
  const uint8_t bytes[] = {'a', 'b', 'c'};
  ByteStreamIn in(bytes, sizeof bytes);
  const char* text = nullptr;
  char buffer[8];
  EXPECT_LT(in.stringRef(text), 0);
  EXPECT_LT(in.stringInto(buffer, 7), 0);
  EXPECT_EQ(in.remaining(), 3u);
  const uint8_t* raw;
  EXPECT_LT(in.rawRef(raw, 4), 0);
  EXPECT_EQ(in.rawRef(raw, 3), 0);
}

TEST(DataToMessage, ATenBytePayloadIsPaddedTo108) {
  TlmShout shout;
  shout.setText("a");  // 4 + 4 + 2 bytes
  auto frame = dataToMessage(kTlmShout, shout);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->size(), 14);
  EXPECT_EQ(frame->wireSize(), 108);
  const std::string bytes = frameBytes(*frame);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\0\x03\0\x0a", 4));
  EXPECT_EQ(bytes.substr(14), std::string(94, '\0'));
}

TEST(DataToMessage, PayloadsOf104And105BytesAroundThePaddingLimit) {
  for (auto [textLength, wire] : {std::pair{95, 108}, std::pair{96, 109}}) {
    TlmShout shout;
    shout.setText(std::string(textLength, 'x'));
    auto frame = dataToMessage(kTlmShout, shout);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->payloadLength(), textLength + 9);
    EXPECT_EQ(frame->wireSize(), wire);
  }
}

TEST(DataToMessage, APayloadBeyondTheLengthFieldIsRefused) {
  test::LogCapture log(LOG_ERROR);
  TlmShout shout;
  shout.setText(std::string(70000, 'x'));
  EXPECT_FALSE(dataToMessage(kTlmShout, shout));
  EXPECT_NE(log.text().find("dataToMessage: serialization failed, message type 3"), std::string::npos);
}

TEST(TlMsg, WritesAFrameInPiecesAndReadsItBackOverPieces) {
  TlmShout shout;
  shout.kind = 0;
  shout.setText(std::string(200, 'z'));
  auto sent = dataToMessage(kTlmShout, shout);
  ASSERT_TRUE(sent);
  test::MemoryNetStream writer({}, 7);
  ASSERT_EQ(sendFrame(writer, *sent), 0);
  ASSERT_EQ(writer.output.size(), 213u);

  test::MemoryNetStream reader(writer.output + wireFrame(4, 8), 50);
  TlMsg received;
  ASSERT_EQ(receiveFrame(reader, received), 0);
  EXPECT_TRUE(received.onHeap());
  EXPECT_EQ(frameBytes(received), writer.output);
  EXPECT_EQ(reader.consumed(), 213u) << "the next frame is left alone";
}

TEST(TlMsg, A105BytePayloadMovesToTheHeapAnd104StaysInline) {
  for (auto [length, heap] : {std::pair{104, false}, std::pair{105, true}}) {
    test::MemoryNetStream stream(wireFrame(3, length));
    TlMsg message;
    ASSERT_EQ(receiveFrame(stream, message), 0);
    EXPECT_EQ(message.onHeap(), heap);
    EXPECT_EQ(message.payloadLength(), length);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(message.payload()), length), std::string(length, 'x'));
  }
}

TEST(TlMsg, ConferenceLimitsRefuseLength401AndType11) {
  ConferenceLimits limits;
  test::LogCapture log;
  struct Case {
    int type, length;
    bool accepted;
    const char* logLine;
  } cases[] = {
      {10, 400, true, ""},
      {3, 401, false, "TlMsg::read: bad message length 401\n"},
      {11, 8, false, "TlMsg::read: bad message type 11\n"},
  };
  for (const Case& c : cases) {
    test::MemoryNetStream stream(wireFrame(c.type, c.length));
    TlMsg message;
    EXPECT_EQ(receiveFrame(stream, message) == 0, c.accepted) << c.type << "/" << c.length;
    if (!c.accepted) {
      EXPECT_NE(log.text().find(c.logLine), std::string::npos) << log.text();
    }
  }
}

TEST(TlMsg, DefaultLimitsAcceptLongFrames) {
  test::MemoryNetStream stream(wireFrame(300, 2000));
  TlMsg message;
  EXPECT_EQ(receiveFrame(stream, message), 0);
}

TEST(TlMsg, APeerClosingMidFrameFailsTheReceive) {
  test::MemoryNetStream stream(wireFrame(3, 20).substr(0, 60));
  TlMsg message;
  EXPECT_EQ(receiveFrame(stream, message), -1);
}

TEST(TlmConnectNexus, PasswordsAreCutAt16AndZeroFilled) {
  for (auto [password, expected] :
       {std::pair<std::string, std::string>{"abc", std::string("abc") + std::string(13, '\0')},
        {"abcdefghijklmnopqrst", "abcdefghijklmnop"}}) {
    TlmConnectNexus login;
    login.protocolLevel = kProtocolLevel;
    login.masterFlag = 1;
    login.setFileHash("0123456789abcdef0123456789abcdef");
    login.setPassword(password);
    auto frame = dataToMessage(kTlmConnectNexus, login);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->payloadLength(), 84);
    EXPECT_EQ(frame->wireSize(), 108);
    const std::string bytes = frameBytes(*frame);
    EXPECT_EQ(bytes.substr(4, 12), std::string("\0\0\0\0\0\0\0\x03\0\0\0\x01", 12));
    EXPECT_EQ(bytes.substr(16, 16), "0123456789abcdef");
    EXPECT_EQ(bytes.substr(32, 16), expected);
    EXPECT_EQ(bytes.substr(48, 40), std::string(40, '\0'));
  }
}

TEST(TlmConnectNexus, ATruncatedLoginIsUndecodable) {
  TlmConnectNexus login;
  auto frame = dataToMessage(kTlmConnectNexus, login);
  TlmConnectNexus received;
  ByteStreamIn in(frame->payload(), 83);
  EXPECT_LT(received.serialize(in), 0);
}

TEST(TlmShout, RoundTripPointsIntoThePayload) {
  TlmShout shout;
  shout.kind = TlmShout::kUserList;
  shout.flags = TlmShout::kNoticeFlag;
  shout.setText("ann\nbob\n");
  auto frame = dataToMessage(kTlmShout, shout);
  TlmShout received;
  ByteStreamIn in(frame->payload(), frame->payloadLength());
  ASSERT_EQ(received.serialize(in), 0);
  EXPECT_EQ(received.kind, 3);
  EXPECT_EQ(received.flags, 1u);
  EXPECT_STREQ(received.text(), "ann\nbob\n");
  EXPECT_EQ(received.text(), reinterpret_cast<const char*>(frame->payload()) + 8);
}

TEST(TlmShout, ATextWithoutItsZeroByteIsUndecodable) {
  test::LogCapture log(LOG_ERROR);
  const uint8_t payload[] = {0, 0, 0, 0, 0, 0, 0, 0, 'n', 'o', 'z', 'e', 'r', 'o'};
  TlmShout received;
  ByteStreamIn in(payload, sizeof payload);
  EXPECT_LT(received.serialize(in), 0);
  EXPECT_NE(log.text().find("TlmShout::serialize: io failed\n"), std::string::npos);
}

TEST(TlmSimple, CarriesValueAndSequence) {
  TlmSimple simple;
  simple.value = 4;
  simple.seq = 0xfffffffe;
  TlmSimple received = roundTrip(simple, kTlmReleaseMaster, 8);
  EXPECT_EQ(received.value, 4);
  EXPECT_EQ(received.seq, 0xfffffffeu);
}

TEST(TlmFullManipInfo, OptionalPartsFollowTheFlags) {
  struct Case {
    uint32_t flags;
    int payload, wire;
  } cases[] = {
      {0, 76, 108},
      {TlmFullManipInfo::kCutActive | TlmFullManipInfo::kCutAlongX, 80, 108},
      {TlmFullManipInfo::kMeasurePresent, 100, 108},
      {TlmFullManipInfo::kAnnotationPanelOpen, 78, 108},
      {TlmFullManipInfo::kCutActive | TlmFullManipInfo::kMeasurePresent | TlmFullManipInfo::kAnnotationPanelOpen,
       106, 110},
  };
  for (const Case& c : cases) {
    TlmFullManipInfo view;
    view.us = 42;
    view.nx = -12.5f;
    view.q[3] = 1;
    view.bounds[5] = 9;
    view.f = c.flags;
    view.cp = 0.25f;
    view.measure[4] = 3;
    view.camera = -2;
    auto frame = dataToMessage(kTlmFullManipInfo, view);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->wireSize(), c.wire);
    TlmFullManipInfo received = roundTrip(view, kTlmFullManipInfo, c.payload);
    EXPECT_EQ(received.us, 42u);
    EXPECT_EQ(received.nx, -12.5f);
    EXPECT_EQ(received.q[3], 1.0f);
    EXPECT_EQ(received.bounds[5], 9.0f);
    EXPECT_EQ(received.cp, c.flags & 1 ? 0.25f : 0.0f);
    EXPECT_EQ(received.measure[4], c.flags & 0x1000 ? 3.0f : 0.0f);
    EXPECT_EQ(received.camera, c.flags & 0x20000 ? -2 : 0);
  }
}

TEST(TlmFullManipInfo, AFlagAnnouncingAMissingPartIsUndecodable) {
  TlmFullManipInfo view;
  auto frame = dataToMessage(kTlmFullManipInfo, view);
  std::string payload(reinterpret_cast<const char*>(frame->payload()), 76);
  payload[75] = 0x01;  // cutting plane announced, its position absent
  TlmFullManipInfo received;
  ByteStreamIn in(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
  EXPECT_LT(received.serialize(in), 0);
}

TEST(TlmFullManipInfo, DumpText) {
  TlmFullManipInfo view;
  view.s = 1;
  view.us = 7;
  view.nx = 1.234f;
  view.q[3] = 1;
  view.z = 45;
  view.f = 0x1001;
  view.cp = 0.5f;
  EXPECT_EQ(view.dump(),
            "s 1 us 7 nx 1.23 ny 0.00 tx 0.00 ty 0.00 q1 0.00 q2 0.00 q3 0.00 q4 1.00 z 45.00 f 0x1001 cp 0.500000");
  EXPECT_EQ(TlmSimple().dump(), "");
}

TEST(MessageFactory, OnlyTheConferenceTypesHaveAClass) {
  for (int type = 0; type <= 11; ++type) {
    const bool known = type == 1 || (type >= 3 && type <= 8);
    EXPECT_EQ(makeMessageObject(type) != nullptr, known) << type;
  }
}

}  // namespace
}  // namespace kvx::conf
