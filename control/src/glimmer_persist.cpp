// The control's persisted stream: its document embedded with the file's bytes.
#include "glimmer_obj.h"

#include "document_folder.h"
#include "services/file_content.h"
#include "stream_layout.h"
#include "text_convert.h"

#include <exception>
#include <unistd.h>

namespace glimmer {
namespace {

constexpr const char* kNewerVersionText =
    "This version of kavrik publish cannot read this file !\n\nPlease upgrade your kavrik publish ActiveX :\n"
    "look for the newest version on the kavrik web site.";

// Screen pixels (96 per inch) to HIMETRIC, the unit of the extents.
uint32_t toHimetric(int pixels) { return static_cast<uint32_t>(std::max(0, pixels)) * 2540u / 96u; }

// The claimed name is replaced whole, so that a full disk never leaves a
// truncated document where the control would open it.
bool writeDocumentFile(const std::string& path, const std::string& bytes) {
  if (kvx::replaceFileContent(path, bytes)) return true;
  ::unlink(path.c_str());
  return false;
}

}  // namespace

HRESULT CGlimmerObj::Save(IByteStream* stream, bool clearDirty) {
  if (!stream) return E_POINTER;
  try {
    PersistedStream content;
    content.framework.cx = toHimetric(width_);
    content.framework.cy = toHimetric(height_);
    if (!current_.empty()) {
      DocumentRecord doc;
      doc.tag = streamTag_;
      doc.name = toUtf16(current_);
      doc.fileBytes = kvx::readFileContent(current_).value_or("");
      if (doc.fileBytes.size() > kMaxEmbeddedBytes) doc.fileBytes.clear();
      content.document = std::move(doc);
    }
    if (!writePersistedStream(stream, content)) throw std::runtime_error("Can't write to the stream !");
    if (clearDirty) dirty_ = false;
    return S_OK;
  } catch (const std::exception& e) {
    reportFailure("Save(LPSTREAM)", e.what());
    return STG_E_WRITEFAULT;
  }
}

HRESULT CGlimmerObj::Load(IByteStream* stream) {
  if (!stream) return E_POINTER;
  try {
    StreamReadResult read = readPersistedStream(stream);
    if (read.verdict == StreamVerdict::NewerKind) {
      reportFailure("kavrik publish", kNewerVersionText, MessageIcon::Exclamation);
      return S_OK;
    }
    if (read.verdict == StreamVerdict::Corrupt)
      throw std::runtime_error("This stream is damaged and cannot be read: " + read.problem + " !");
    if (!read.content.document) return S_OK;  // saved while empty
    DocumentRecord& doc = *read.content.document;
    if (doc.tag) streamTag_ = *doc.tag;
    const std::string name = doc.name ? toUtf8(*doc.name) : std::string();
    switch (doc.kind) {
      case KIND_LINK:
        if (name != current_) pending_ = name;
        break;
      case KIND_EMBEDDED_OLD:
      case KIND_EMBEDDED: {
        const auto path = DocumentFolder::freshPath(name);
        if (!path || !writeDocumentFile(*path, doc.fileBytes))
          throw std::runtime_error("Can't write the embedded document to the temporary folder !");
        if (doc.kind == KIND_EMBEDDED_OLD || !pending_) pending_ = *path;
        break;
      }
      default: break;
    }
    invalidate();
    return S_OK;
  } catch (const std::exception& e) {
    reportFailure("Load(LPSTREAM)", e.what());
    return STG_E_READFAULT;
  }
}

HRESULT CGlimmerObj::GetSizeMax(uint64_t* size) {
  if (!size) return E_POINTER;
  const uint64_t framework = 4 + 2 * 6;
  uint64_t record = 0;
  if (!current_.empty()) {
    const auto bytes = kvx::readFileContent(current_);
    record = 3 + 4 + (streamTag_.size() + 1) * 2 + 4 + (toUtf16(current_).size() + 1) * 2 + 6 +
             (bytes ? bytes->size() : 0);
  }
  *size = framework + record;
  return S_OK;
}

}  // namespace glimmer
