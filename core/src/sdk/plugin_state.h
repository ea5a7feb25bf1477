#pragma once
// State of the SDK object, in named parts by concern.
#include "interaction/camera_tour.h"
#include "interaction/frame_clock.h"
#include "interaction/measurement.h"
#include "interaction/transition.h"
#include "kvx_sdk.h"
#include "platform/mail_client.h"
#include "render/render_cache.h"
#include "scene/scene.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace kvx {

// View transitions: length, progress and the timing that adapts the length.
struct Transition {
  int steps = 38;
  int remaining = 0;
  float frameTimeMs = 10.0f;
  ViewSnapshot start;
  ViewSnapshot target;
  bool ease = true;
  bool running = false;
  long frameCounter = 0;
  bool boundsChanged = false;  // the running transition moves the bounds too
  std::unique_ptr<FrameClock> clock = std::make_unique<SteadyFrameClock>();
  double elapsedMs = 0;
  double lastFrameMs = 0;  // the latest frame alone
  double expectedMs = 100;
  bool firstFrameUpload = false;         // textures were uploaded in the first frame
  bool firstFrameUploadHandled = false;  // ... and that frame was taken out of the timing
};

// Pointer drags and what they select or measure.
struct DragAndSelection {
  bool objectMode = false;
  int currentObject = 0;
  bool deleteOthers = false;
  bool rectangle = false;  // a selection rectangle follows the pointer
  bool toggle = false;     // ... and toggles instead of adding
  int startX = 0;          // where the rectangle or the measurement line starts,
  int startY = 0;          // window pixels from the top left
  Measurement measurement;
};

// The host's overlay cursor, kept by pointer.
struct OverlayCursor {
  kvx_ARGB* image = nullptr;
  bool shown = false;
  int width = 0;
  int height = 0;
};

// Loading and the locks a password sets.
struct FileState {
  std::unique_ptr<scene> diffScene;  // reference scene for capture differencing
  bool loading = false;
  bool viewLocked = false;
  bool editLocked = false;
};

// The file handshake with the capture interceptor.
struct CaptureHandshake {
  bool markerExisted = false;
  std::array<std::string, 3> savedEnvironment;
};

}  // namespace kvx

// Each plugin_*.cpp file works on its own part; sdk/frame_loop.cpp reads
// what the frame needs of all of them.
struct kvx_GL_Plugin::State {
  // Host records, bound by InitDisplay; the frame record is owned only when
  // the size variant of InitDisplay created it.
  kvx_SystemInfo* system = nullptr;
  kvx_ManipInfo* manip = nullptr;
  kvx_FrameInfo* frame = nullptr;
  std::unique_ptr<kvx_FrameInfo> ownedFrame;

  std::unique_ptr<kvx::scene> scene;  // null while no file is loaded
  std::unique_ptr<kvx_CutPlane> cutPlane;
  std::array<float, 7> cutBox = {0, 0, 0, 0, 0, 0, 0};
  std::vector<float> sectionCache;  // consecutive point pairs

  kvx::FileState files;
  kvx::CaptureHandshake capture;
  kvx::Transition transition;
  kvx::CameraTour tour;
  kvx::DragAndSelection drag;
  kvx::OverlayCursor cursor;

  // Stored copy of the current camera and its index.
  kvx::SceneView storedCamera;
  int storedCameraIndex = 0;
  bool perspective = true;  // of the frame drawn last
  bool viewChangedByCommand = false;
  bool automaticLight = true;
  bool publishing = false;

  kvx::RenderCache render;
  kvx::MailClient mail;
};
