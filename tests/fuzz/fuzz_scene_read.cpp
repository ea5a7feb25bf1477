// Arbitrary bytes as a scene file, read with and without the pass phrase
// the seed corpus was enciphered with.
#include "scene/scene.h"
#include "services/capture_options.h"

#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/kvx-fuzz-" + std::to_string(getpid()) + ".kvx";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  kvx::resetCaptureOptions();
  kvx::scene s;
  std::unique_ptr<kvx::CutBox> box;
  std::unique_ptr<kvx_CutPlane> plane;
  bool capture = false;
  s.Read(path.c_str(), "fuzz", &capture, nullptr, &box, &plane, false);
  return 0;
}
