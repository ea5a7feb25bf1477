// scene::Read: the file container around the payload.
#include "format/crypt_sink.h"
#include "format/deflate_buffer.h"
#include "format/file_header.h"
#include "format/scene_read_steps.h"
#include "scene/scene.h"
#include "services/capture_options.h"
#include "services/debuglog.h"
#include "services/huge_pages.h"
#include "services/paths.h"

#include <climits>
#include <cstdio>
#include <new>
#include <zlib.h>

namespace kvx {
namespace {

// Deflate cannot expand better than 1032:1 (a 258-byte match per two bits).
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateSlack = 1024;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Reports -1 to the progress callback however the read ends.
struct ProgressEnd {
  ProgressFn progress;
  ~ProgressEnd() {
    if (progress) progress(-1.0f);
  }
};

std::unique_ptr<uint8_t[]> allocate(uint64_t size) {
  std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size]);
  prepareToFill(buffer.get(), size);
  return buffer;
}

// A rawSize that the body cannot produce is refused before anything is
// allocated for it. Stored bodies of earlier writers counted the header in.
bool rawSizeFitsBody(const FileHeader& header, uint32_t bodyLength) {
  if (header.rawSize > static_cast<uint32_t>(INT32_MAX)) return false;
  if (!(header.flags & HEADER_DEFLATED))
    return header.rawSize == bodyLength || uint64_t(header.rawSize) == uint64_t(bodyLength) + 8;
  return header.rawSize <= bodyLength * kMaxInflateRatio + kInflateSlack;
}

}  // namespace

int32_t loadSceneFile(scene& s, const char* fileName, const char* passPhrase, ProgressFn progress) {
  if (progress) reloadCaptureOptions(paths().commandFile);
  if (!fileName || !*fileName) return FILE_CANNOT_OPEN;
  File file(std::fopen(fileName, "rb"));
  if (!file) return FILE_CANNOT_OPEN;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return FILE_IO_ERROR;
  const long fileLength = std::ftell(file.get());
  if (fileLength < 1) return FILE_CORRUPT;
  if (fileLength > INT32_MAX) {
    KVX_LOG(LOG_ERROR, "scene::Read: file of %ld bytes is too large\n", fileLength);
    return FILE_CORRUPT;
  }

  s.Clear();
  s.progress = progress;
  ProgressEnd end{progress};
  if (progress) progress(0.0f);

  uint8_t head[8];
  std::rewind(file.get());
  if (std::fread(head, 1, 8, file.get()) != 8) return FILE_IO_ERROR;
  FileHeader header = FileHeader::parse(head);
  uint32_t bodyStart = 8;
  if (header.version < kHeaderlessBelow) {
    bodyStart = 0;
    header.flags = 0;
    header.rawSize = static_cast<uint32_t>(fileLength);
  }
  const uint32_t bodyLength = static_cast<uint32_t>(fileLength) - bodyStart;
  if ((header.flags & HEADER_ENCIPHERED) && (!passPhrase || !*passPhrase)) return FILE_NEEDS_PASS;

  std::unique_ptr<uint8_t[]> body = allocate(bodyLength ? bodyLength : 1);
  if (!body) return FILE_IO_ERROR;
  if (std::fseek(file.get(), bodyStart, SEEK_SET) != 0 ||
      std::fread(body.get(), 1, bodyLength, file.get()) != bodyLength)
    return FILE_IO_ERROR;
  file.reset();

  if (!header.plausible()) {
    KVX_LOG(LOG_ERROR, "scene::Read: bad header information\n");
    return FILE_CORRUPT;
  }
  s.fileVersion = header.version;
  s.ser.version = header.version;
  if (header.version > kNewestReadableVersion) return FILE_NEWER_VERSION;
  if (!rawSizeFitsBody(header, bodyLength)) {
    KVX_LOG(LOG_ERROR, "scene::Read: bad header information\n");
    return FILE_CORRUPT;
  }

  if (header.flags & HEADER_ENCIPHERED) {
    const int keyBytes = (header.flags & HEADER_SHORT_KEY) ? 7 : 16;
    KVX_LOG(LOG_INFO, "scene::Read: key bytes: %d\n", keyBytes);
    // Deciphered in place: CFB reads each ciphertext byte before overwriting it.
    if (!kvxDecodeBuffer(body.get(), body.get(), static_cast<int32_t>(bodyLength), passPhrase, keyBytes)) {
      KVX_LOG(LOG_ERROR, "scene::Read: decryption failed\n");
      return FILE_CANNOT_CIPHER;
    }
  }

  KVX_LOG(LOG_INFO, "Scene::Read: data size: %lu\n", static_cast<unsigned long>(header.rawSize));
  int32_t payloadLength = static_cast<int32_t>(bodyLength);
  if (header.flags & HEADER_DEFLATED) {
    std::unique_ptr<uint8_t[]> payload = allocate(uint64_t(header.rawSize) + 20);
    if (!payload) {
      KVX_LOG(LOG_ERROR, "Scene::Read: Uncompress failed! err %d\n", Z_MEM_ERROR);
      return FILE_CORRUPT;
    }
    size_t inflated = 0;
    const int status = inflateBuffer(body.get(), bodyLength, payload.get(), header.rawSize, inflated);
    if (status != Z_OK) {
      KVX_LOG(LOG_ERROR, "Scene::Read: Uncompress failed! err %d\n", status);
      return FILE_CORRUPT;
    }
    body = std::move(payload);
    payloadLength = static_cast<int32_t>(inflated);
  }
  if (!s.deserialise(std::move(body), payloadLength)) return FILE_CORRUPT;
  return static_cast<int32_t>(fileLength);
}

void finishSceneRead(scene& s, bool* rawCapture, std::unique_ptr<CutBox>* cutBoxOut,
                     std::unique_ptr<kvx_CutPlane>* cutPlaneOut, bool merging) {
  const bool capture = s.sceneFlags & SCENE_RAW_CAPTURE;
  if (rawCapture) *rawCapture = capture;
  if (!capture || merging) setCaptureOption(CaptureOption::NOOPTIM, !merging);
  if (captureOption(CaptureOption::PROESPECIAL)) s.ProSpecialPostProcess();
  if (!captureOption(CaptureOption::NOOPTIM) && (capture || merging)) s.Optimize();
  if (cutBoxOut) *cutBoxOut = std::move(s.readCutBox);
  if (cutPlaneOut) *cutPlaneOut = std::move(s.readCutPlane);
  s.readCutBox.reset();
  s.readCutPlane.reset();
}

int32_t scene::Read(const char* fileName, const char* passPhrase, bool* rawCapture, ProgressFn progress,
                    std::unique_ptr<CutBox>* cutBoxOut, std::unique_ptr<kvx_CutPlane>* cutPlaneOut,
                    bool merging) {
  const int32_t result = loadSceneFile(*this, fileName, passPhrase, progress);
  if (result > FILE_NEEDS_PASS) finishSceneRead(*this, rawCapture, cutBoxOut, cutPlaneOut, merging);
  return result;
}

}  // namespace kvx
