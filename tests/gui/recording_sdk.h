#pragma once
// A stand-in for kvx_core's SDK object inside the GUI tests: it records
// every call the viewer makes and answers from a script. The tests never
// link the core, so this file gives the SDK classes their definitions.
#include "kvx_sdk.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct kvx_GL_Plugin::State {
  std::vector<std::string> calls;  // "OnEvent(500)", "LoadFile(/x.kvx)", ...

  // Answers.
  int loadResult = 1000;
  int loadEResult = 1000;
  std::function<int(const char* readPassword)> checkPasswords = [](const char*) { return 0; };
  int cameras = 0;
  uint32_t sceneFlags = 0;
  int points = 0, triangles = 0, objects = 0, lights = 0, selectedPoints = 0;
  int saveResult = -1;  // SaveFileE: this result, or (when negative) 0 after creating the file
  float frameColour[3] = {1, 0, 0};  // what RenderFrame clears to
  std::string sceneTexts[5];
  kvx_Measure measure{};
  std::string annotation;
  kvx_CutPlane cutPlane{static_cast<kvx_CutPlane::CurrentPlan>(-1), false, 0.5f, false};
  float cutRange[3][2] = {};  // per axis X, Y, Z: minimum and maximum
  bool animationRunning = false;
  // Reads run on the window's worker thread: recorded apart, under a lock.
  // `whileReading` plays a long read: it gets the progress callback and
  // returns true when the read was stopped.
  std::mutex readLock;
  std::vector<std::string> reads;  // "path,phrase"
  std::function<bool(kvx_CancelableProgressFn, void*)> whileReading;
  std::string readError;
  int exportResult = 1000;
  std::string exportError;

  // Pointer records as the core saw them, with the frame record of the call.
  struct Pointer {
    std::string call;
    kvx_MouseEvent event;
    kvx_FrameInfo frame;
  };
  std::vector<Pointer> pointer;
  kvx_FrameInfo* frame = nullptr;

  bool sawRead(const std::string& read) {
    std::lock_guard<std::mutex> lock(readLock);
    for (const std::string& r : reads)
      if (r == read) return true;
    return false;
  }
  void clear() {
    {
      std::lock_guard<std::mutex> lock(readLock);
      reads.clear();
    }
    calls.clear();
    pointer.clear();
  }
  int count(const std::string& call) const;
  bool saw(const std::string& call) const { return count(call) > 0; }
  std::vector<int> events() const;  // the OnEvent codes in order
};
