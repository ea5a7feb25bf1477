#pragma once
// State of the SDK object. Each concern of the object (files, capture,
// display, view, cameras, cutting plane, events) keeps its part here.
#include "interaction/camera_tour.h"
#include "interaction/frame_clock.h"
#include "interaction/measurement.h"
#include "interaction/rubber_band_mode.h"
#include "interaction/transition.h"
#include "kvx_sdk.h"
#include "platform/mail_client.h"
#include "render/render_cache.h"
#include "scene/scene.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

struct kvx_GL_Plugin::State {
  // Host records, bound by InitDisplay; the frame record is owned only when
  // the size variant of InitDisplay created it.
  kvx_SystemInfo* system = nullptr;
  kvx_ManipInfo* manip = nullptr;
  kvx_FrameInfo* frame = nullptr;
  std::unique_ptr<kvx_FrameInfo> ownedFrame;

  std::unique_ptr<kvx::scene> scene;      // null while no file is loaded
  std::unique_ptr<kvx::scene> diffScene;  // reference scene for capture differencing
  std::unique_ptr<kvx_CutPlane> cutPlane;
  std::array<float, 7> cutBox = {0, 0, 0, 0, 0, 0, 0};

  bool viewLocked = false;
  bool editLocked = false;
  bool captureMarkerExisted = false;

  // View transitions.
  int transitionSteps = 38;
  int remainingSteps = 0;
  float frameTimeMs = 10.0f;
  kvx::ViewSnapshot transitionStart;
  kvx::ViewSnapshot transitionTarget;
  bool ease = true;
  bool transitionRunning = false;
  long frameCounter = 0;
  bool boundsChanged = false;  // the running transition moves the bounds too
  std::unique_ptr<kvx::FrameClock> frameClock = std::make_unique<kvx::SteadyFrameClock>();
  double elapsedMs = 0;
  double expectedMs = 100;
  bool firstFrameUpload = false;         // textures were uploaded in the first frame
  bool firstFrameUploadHandled = false;  // ... and that frame was taken out of the timing

  // Stored copy of the current camera and its index.
  kvx::SceneView storedCamera;
  int storedCameraIndex = 0;

  bool perspective = true;
  std::array<std::string, 3> savedCaptureEnvironment;

  // Overlay cursor, kept by pointer.
  kvx_ARGB* cursorImage = nullptr;
  bool cursorShown = false;
  int cursorWidth = 0;
  int cursorHeight = 0;

  bool viewChangedByCommand = false;
  kvx::CameraTour tour;

  bool automaticLight = true;

  // Selection and object mode.
  bool objectMode = false;
  int currentObject = 0;
  bool deleteOthers = false;
  bool selectionRectangle = false;
  bool toggleSelection = false;
  int rectangleStartX = 0;
  int rectangleStartY = 0;
  kvx::RubberBand rubberBand;
  kvx::Measurement measurement;

  std::vector<float> sectionCache;  // consecutive point pairs

  kvx::RenderCache render;

  bool loading = false;
  bool publishing = false;

  kvx::MailClient mail;
};
