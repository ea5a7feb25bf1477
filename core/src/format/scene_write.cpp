// scene::Write: the sink chain, the header and the safe replacement of the file.
#include "format/crypt_sink.h"
#include "format/file_header.h"
#include "format/file_sink.h"
#include "format/one_shot_comp_sink.h"
#include "format/payload_layout.h"
#include "services/temp_file.h"
#include "scene/scene.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/paths.h"

namespace kvx {
namespace {

// Sinks, file and borrowed records of one write; undone in every case.
struct WriteSession {
  explicit WriteSession(scene& target) : s(target) {}
  ~WriteSession() {
    if (s.progress) s.progress(-1.0f);
    s.progress = nullptr;
    s.cutBox = nullptr;
    s.cutPlane = nullptr;
    s.ser.setSink(nullptr);
  }
  KvxSink* top() const {
    if (comp) return comp.get();
    if (crypt) return crypt.get();
    return bottom.get();
  }

  scene& s;
  std::optional<TempFile> temp;  // outlives the sinks, so the file is closed before removal
  std::unique_ptr<KvxSink> bottom;
  KvxFileSink* file = nullptr;   // the bottom sink when writing a file
  std::unique_ptr<KvxCryptSink> crypt;
  std::unique_ptr<KvxOneShotCompSink> comp;
};

bool createBottomSink(WriteSession& w, const char* fileName, int sinkKind) {
  if (sinkKind == 1) {
    w.bottom = std::make_unique<KvxSink>();
    return true;
  }
  // The file is built beside the target and only replaces it once complete.
  if (!fileName || !*fileName) return false;
  w.temp = TempFile::beside(fileName);
  if (!w.temp) return false;
  auto file = std::make_unique<KvxFileSink>(w.temp->path());
  w.file = file.get();
  w.bottom = std::move(file);
  return w.bottom->ready();
}

}  // namespace

int32_t scene::Write(const char* fileName, const kvx_CryptoDesc* crypto, int sinkKind, bool forceCompression,
                     ProgressFn progressFn, const CutBox* box, const kvx_CutPlane* plane) {
  if (objects.empty()) return FILE_NO_OBJECTS;
  progress = progressFn;
  cutBox = box;
  cutPlane = plane;
  WriteSession w(*this);
  if (progress) progress(0.0f);
  if (captureOption(CaptureOption::LOGTEXTURESTOBMP)) resetTextureLogCounter();
  if (forceCompression) setCaptureOption(CaptureOption::DONTCOMPRESSKVXFILE, false);

  FileHeader header{kWrittenVersion, kHeaderCompat, 0, 0, 0};
  if (!createBottomSink(w, fileName, sinkKind)) {
    KVX_LOG(LOG_ERROR, "scene::Write: write sink creation error\n");
    return FILE_CANNOT_CIPHER;
  }
  if (crypto && crypto->passPhrase && *crypto->passPhrase) {
    if (crypto->keyBytes != 16 && crypto->keyBytes != 7) {
      KVX_LOG(LOG_ERROR, "scene::Write: bad keybytes %d\n", crypto->keyBytes);
      return FILE_CANNOT_CIPHER;
    }
    w.crypt = std::make_unique<KvxCryptSink>(crypto->passPhrase, crypto->keyBytes);
    if (!w.crypt->ready() || !w.crypt->setNext(w.bottom.get())) {
      KVX_LOG(LOG_ERROR, "scene::Write: crypt sink creation error\n");
      return FILE_CANNOT_CIPHER;
    }
    header.flags |= HEADER_ENCIPHERED | (crypto->keyBytes == 7 ? HEADER_SHORT_KEY : 0);
  }
  if (!captureOption(CaptureOption::DONTCOMPRESSKVXFILE)) {
    KvxSink* below = w.top();
    w.comp = std::make_unique<KvxOneShotCompSink>();
    if (!w.comp->ready() || !w.comp->setNext(below)) {
      KVX_LOG(LOG_ERROR, "scene::Write: compression sink creation error\n");
      return FILE_CANNOT_CIPHER;
    }
    header.flags |= HEADER_DEFLATED;
  }
  ser.setSink(w.top());
  ser.vertexMode = 1;

  uint8_t head[8];
  header.store(head);
  if (!w.bottom->put(head, 8)) {
    KVX_LOG(LOG_ERROR, "scene::Write: header write error\n");
    return FILE_IO_ERROR;
  }
  serialise();
  w.top()->flush();
  KVX_LOG(LOG_INFO, "scene::Write: serialized size: raw: %d compressed %d\n", w.top()->bytesIn(),
          w.bottom->bytesOut() - 8);

  // The payload's size; the header bytes are not part of it even when the
  // payload went straight into the bottom sink.
  header.rawSize = static_cast<uint32_t>(w.top()->bytesIn() - (w.top() == w.bottom.get() ? 8 : 0));
  header.store(head);
  if (!w.bottom->putAtStart(head, 8)) {
    KVX_LOG(LOG_ERROR, "scene::Write: header rewrite error\n");
    return FILE_IO_ERROR;
  }
  // Bytes still buffered for the file can fail only when it is closed.
  if (w.file) w.file->close();
  if (const int32_t error = w.top()->errorCode()) {
    KVX_LOG(LOG_ERROR, "scene::Write: file write error: %d\n", error);
    return error;
  }
  if (w.temp && !w.temp->replace(fileName)) {
    KVX_LOG(LOG_ERROR, "scene::Write: file write error: %d\n", FILE_IO_ERROR);
    return FILE_IO_ERROR;
  }
  return w.bottom->bytesOut();
}

}  // namespace kvx
