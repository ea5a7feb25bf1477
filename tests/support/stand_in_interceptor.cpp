// Stands in for the capture interceptor in tests: waits for the viewer's
// request in the Files folder, then writes a raw capture and the notice.
// Usage: stand_in_interceptor FILES_FOLDER [SECONDS]
#include "scene/scene.h"
#include "scene_builders.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: stand_in_interceptor FILES_FOLDER [SECONDS]\n");
    return 2;
  }
  const std::filesystem::path files = argv[1];
  const int seconds = argc > 2 ? std::stoi(argv[2]) : 20;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!std::filesystem::exists(files / "view2capt.cmd")) {
    if (std::chrono::steady_clock::now() > deadline) return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  // Two objects of the same look, as captures arrive: many small pieces.
  kvx::scene capture;
  kvx::test::addObject(capture, kvx::test::objectOf(kvx::tri_strip, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}));
  kvx::test::addObject(capture, kvx::test::objectOf(kvx::tri_strip, {{2, 0, 0}, {3, 0, 0}, {2, 1, 0}, {3, 1, 0}}));
  capture.sceneFlags = kvx::SCENE_RAW_CAPTURE;
  capture.updateBounds();
  const std::string result = (files / "LastCapture.kvx").string();
  if (capture.Write(result.c_str(), nullptr, 0, true, nullptr, nullptr, nullptr) <= 7) return 1;
  std::FILE* notice = std::fopen((files / "capt2view.cmd").c_str(), "w");
  if (!notice) return 1;
  std::fclose(notice);
  return 0;
}
