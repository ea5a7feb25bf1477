#include "stream_layout.h"

#include "variant_io.h"

namespace glimmer {
namespace {

bool writeFramework(StreamWriter& out, const FrameworkBlock& block) {
  return out.u32(block.version) && out.variant32(VT_UI4, block.cx) && out.variant32(VT_UI4, block.cy);
}

bool readFrameworkAfter(StreamReader& in, uint32_t version, FrameworkBlock& block) {
  if (version > kFrameworkVersion) return in.fail("the property block comes from a newer version");
  block.version = version;
  return in.variant32(VT_UI4, block.cx) && in.variant32(VT_UI4, block.cy);
}

bool readFramework(StreamReader& in, FrameworkBlock& block) {
  uint32_t version;
  return in.u32(version) && readFrameworkAfter(in, version, block);
}

bool readSize(StreamReader& in, uint32_t& size) {
  if (!in.variant32(VT_UINT, size)) return false;
  if (size > INT32_MAX) return in.fail("the document size is negative");
  if (size > kMaxEmbeddedBytes) return in.fail("the document is too large");
  return true;
}

bool readEmbedded(StreamReader& in, uint8_t kind, std::string& bytes) {
  uint32_t size;
  if (!readSize(in, size)) return false;
  if (kind == KIND_EMBEDDED) return in.bytes(bytes, size);
  bytes.clear();
  for (uint32_t i = 0; i < size; ++i) {
    uint8_t b;
    if (!in.variantU8(b)) return false;
    bytes += static_cast<char>(b);
  }
  return true;
}

}  // namespace

bool writePersistedStream(IByteStream* stream, const PersistedStream& content) {
  StreamWriter out(stream);
  if (const auto& doc = content.document) {
    if (doc->fileBytes.size() > UINT32_MAX) return false;
    if (!out.variantU8(KIND_EMBEDDED) || !out.string(doc->tag) || !out.string(doc->name) ||
        !out.variant32(VT_UINT, static_cast<uint32_t>(doc->fileBytes.size())) ||
        !out.bytes(doc->fileBytes.data(), doc->fileBytes.size()))
      return false;
  }
  return writeFramework(out, content.framework);
}

StreamReadResult readPersistedStream(IByteStream* stream) {
  StreamReadResult result;
  StreamReader in(stream);
  uint16_t first;
  bool ok = in.u16(first);
  if (ok && first != VT_UI1) {
    // No document record: these are the low bytes of the version word.
    uint16_t high;
    ok = in.u16(high) && readFrameworkAfter(in, first | static_cast<uint32_t>(high) << 16, result.content.framework);
    result.verdict = ok ? StreamVerdict::Read : StreamVerdict::Corrupt;
    result.problem = in.error();
    return result;
  }
  std::string kindByte;
  ok = ok && in.bytes(kindByte, 1);
  if (!ok) {
    result.problem = in.error();
    return result;
  }
  result.kind = static_cast<uint8_t>(kindByte[0]);
  if (result.kind > KIND_EMBEDDED) {
    result.verdict = StreamVerdict::NewerKind;
    return result;
  }
  DocumentRecord doc;
  doc.kind = result.kind;
  if (doc.kind != KIND_EMPTY)
    ok = in.string(doc.tag, kMaxStringBytes) && in.string(doc.name, kMaxStringBytes);
  if (ok && (doc.kind == KIND_EMBEDDED || doc.kind == KIND_EMBEDDED_OLD)) ok = readEmbedded(in, doc.kind, doc.fileBytes);
  ok = ok && readFramework(in, result.content.framework);
  if (!ok) {
    result.problem = in.error();
    return result;
  }
  result.content.document = std::move(doc);
  result.verdict = StreamVerdict::Read;
  return result;
}

}  // namespace glimmer
