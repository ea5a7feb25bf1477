// Arbitrary bytes as the control's persisted stream. What reads as a
// document must come back unchanged after it is written again.
#include "fuzz_entries.h"
#include "memory_stream.h"
#include "stream_layout.h"

#include <cstdlib>
#include <string>

namespace kvx::fuzz {
namespace {

glimmer::StreamReadResult load(std::string bytes) {
  auto* stream = new glimmer::MemoryStream(std::move(bytes));
  glimmer::StreamReadResult result = glimmer::readPersistedStream(stream);
  stream->Release();
  return result;
}

}  // namespace

int control_stream(const uint8_t* data, size_t size) {
  glimmer::StreamReadResult read = load(std::string(reinterpret_cast<const char*>(data), size));
  if (read.verdict != glimmer::StreamVerdict::Read) return 0;

  auto* out = new glimmer::MemoryStream();
  const bool written = glimmer::writePersistedStream(out, read.content);
  const std::string bytes = out->bytes();
  out->Release();
  if (!written) std::abort();
  const glimmer::StreamReadResult again = load(bytes);
  const auto& doc = read.content.document;
  const auto& docAgain = again.content.document;
  const bool same = again.verdict == glimmer::StreamVerdict::Read && doc.has_value() == docAgain.has_value() &&
                    again.content.framework.cx == read.content.framework.cx &&
                    again.content.framework.cy == read.content.framework.cy &&
                    (!doc || (doc->tag == docAgain->tag && doc->name == docAgain->name &&
                              doc->fileBytes == docAgain->fileBytes));
  if (!same) std::abort();
  return 0;
}

}  // namespace kvx::fuzz
