#pragma once
// The four conference message classes.
#include <cstdint>
#include <string>
#include <string_view>

#include "tlm_data.h"

namespace kvx::conf {

// Login request and answer (type 1); 84-byte payload.
class TlmConnectNexus : public TlmData {
 public:
  static constexpr int kHashSize = 16;
  static constexpr int kPasswordSize = 16;
  static constexpr int kReservedWords = 10;

  int serialize(ByteStream& stream) override;

  // Both cut at 16 characters and zero-filled.
  void setFileHash(std::string_view hash);
  void setPassword(std::string_view password);

  int32_t status = 0;
  int32_t protocolLevel = 0;
  int32_t masterFlag = 0;
  uint8_t fileHash[kHashSize] = {};
  uint8_t password[kPasswordSize] = {};
  int32_t reserved[kReservedWords] = {};
};

// Text notices and chat (type 3).
class TlmShout : public TlmData {
 public:
  enum Kind : int32_t { kChat = 0, kJoined = 1, kLeft = 2, kUserList = 3 };
  static constexpr uint32_t kNoticeFlag = 1;

  int serialize(ByteStream& stream) override;

  // Keeps its own copy of the text.
  void setText(std::string_view text);
  // The sent copy, or after reading a pointer into the received payload
  // that lives only as long as that payload.
  const char* text() const { return text_ ? text_ : ""; }

  int32_t kind = 0;
  uint32_t flags = 0;

 private:
  const char* text_ = nullptr;
  std::string owned_;
};

// Small control messages about the master role (types 4, 5, 6, 8).
class TlmSimple : public TlmData {
 public:
  int serialize(ByteStream& stream) override;

  int32_t value = 0;
  uint32_t seq = 0;
};

// The master's view state (type 7); 76 to 106 bytes of payload.
class TlmFullManipInfo : public TlmData {
 public:
  enum Flag : uint32_t {
    kCutActive = 0x1,
    kCutInverted = 0x2,
    kCutTransparent = 0x4,
    kCutAlongZ = 0x8,
    kCutAlongX = 0x10,
    kCutAlongY = 0x20,
    kDisplayFlagsLow = 0xfc0,  // displayFlags bits 0x01 to 0x20, shifted by 6
    kMeasurePresent = 0x1000,
    kDisplayFlag40 = 0x2000,
    kMeasurePanelOpen = 0x8000,
    kCutPanelOpen = 0x10000,
    kAnnotationPanelOpen = 0x20000,
  };

  int serialize(ByteStream& stream) override;
  std::string dump() const override;

  int32_t s = 0;
  uint32_t us = 0;
  float nx = 0, ny = 0, viewHeight = 0;
  float tx = 0, ty = 0;
  float q[4] = {};
  float z = 0;
  float bounds[6] = {};
  uint32_t f = 0;
  float cp = 0;
  float measure[6] = {};
  int16_t camera = 0;
};

}  // namespace kvx::conf
