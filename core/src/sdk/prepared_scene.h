#pragma once
// Reading a file into a scene of its own, apart from the SDK object's state,
// so that it can run on any thread and be adopted (or dropped) afterwards.
#include "kvx_sdk.h"
#include "scene/scene.h"

#include <cstdint>
#include <memory>
#include <string>

struct kvx_PreparedScene {
  std::string path;
  std::unique_ptr<kvx::scene> scene;
  bool captured = false;  // a raw capture, processed on adoption
  std::unique_ptr<kvx::CutBox> cutBox;
  std::unique_ptr<kvx_CutPlane> cutPlane;
  int32_t result = 0;  // the file size
};

namespace kvx {

struct PreparedRead {
  std::unique_ptr<kvx_PreparedScene> prepared;  // null on failure
  int32_t result = 0;                            // the file size, a FileResult or KVX_READ_CANCELLED
  std::string error;                             // why it failed
};

// Reads a scene file, or a model through the exchange module when its
// extension is one the module reads. `progress` may stop the read.
PreparedRead readPreparedScene(const char* path, const char* passPhrase, kvx_CancelableProgressFn progress,
                               void* context);

// Copies `text` into a host's buffer, cut and terminated; nothing when there is no room.
void copyText(const std::string& text, char* buffer, int size);

}  // namespace kvx
