// Arbitrary bytes as a scene file, read with and without the pass phrase
// the seed corpus was enciphered with.
#include "fuzz_entries.h"
#include "fuzz_files.h"
#include "scene/scene.h"
#include "services/capture_options.h"

namespace kvx::fuzz {

int scene_read(const uint8_t* data, size_t size) {
  const std::string path = inputFile(".kvx", data, size);
  if (path.empty()) return 0;
  resetCaptureOptions();
  scene s;
  std::unique_ptr<CutBox> box;
  std::unique_ptr<kvx_CutPlane> plane;
  bool capture = false;
  s.Read(path.c_str(), "fuzz", &capture, nullptr, &box, &plane, false);
  return 0;
}

}  // namespace kvx::fuzz
