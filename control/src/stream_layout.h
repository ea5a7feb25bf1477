#pragma once
// The control's persisted stream: an optional document record (kind, tag,
// name, the file's bytes) followed by the framework's property block
// (version word, then the "_cx" and "_cy" extents).
#include "glimmer_com.h"

#include <cstdint>
#include <optional>
#include <string>

namespace glimmer {

enum DocumentKind : uint8_t { KIND_EMPTY = 0, KIND_LINK = 1, KIND_EMBEDDED_OLD = 2, KIND_EMBEDDED = 3 };

// Version word of the property block this control writes and reads.
constexpr uint32_t kFrameworkVersion = 0x0300;
// Largest embedded document accepted, as for downloads.
constexpr uint32_t kMaxEmbeddedBytes = 512u << 20;
// Largest tag or name, in bytes.
constexpr uint32_t kMaxStringBytes = 1u << 16;

struct FrameworkBlock {
  uint32_t version = kFrameworkVersion;
  uint32_t cx = 0, cy = 0;  // extent, HIMETRIC
};

struct DocumentRecord {
  uint8_t kind = KIND_EMBEDDED;
  std::optional<std::u16string> tag, name;
  std::string fileBytes;  // kinds 2 and 3
};

struct PersistedStream {
  std::optional<DocumentRecord> document;  // none: the control was empty
  FrameworkBlock framework;
};

// Writes kind 3 when a document is given, else the property block alone.
bool writePersistedStream(IByteStream* stream, const PersistedStream& content);

enum class StreamVerdict { Read, NewerKind, Corrupt };

struct StreamReadResult {
  StreamVerdict verdict = StreamVerdict::Corrupt;
  PersistedStream content;
  uint8_t kind = 0;     // as read, also for newer kinds
  std::string problem;  // for Corrupt
};

StreamReadResult readPersistedStream(IByteStream* stream);

}  // namespace glimmer
