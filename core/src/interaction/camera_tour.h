#pragma once
// The animation that tours the user cameras, one slow transition each. A
// scene with a single user camera is toured through six axis views, held
// in temporary cameras that exist only while the tour runs.
#include "interaction/camera_switch.h"

namespace kvx {

struct CameraTour {
  bool running = false;
  int position = 0;  // 1..count
  int count = 0;
  SceneView savedCamera;  // live camera, transition length and camera index
  int savedSteps = 0;     // of the start, given back when the tour stops
  int savedIndex = 0;
};

// Starts a tour that is not running (the caller stops a running one first)
// and sets the slow transition length it plays with. False when there is
// nothing to tour.
bool startCameraTour(CameraTour& tour, const CameraTarget& target, int& transitionSteps, float frameTimeMs);
// Moves a running tour to its next camera.
CameraChange stepCameraTour(CameraTour& tour, const CameraTarget& target);
// Removes the temporary cameras and goes back to the view, camera and
// transition length of the start. Nothing when no tour runs.
std::optional<CameraChange> stopCameraTour(CameraTour& tour, const CameraTarget& target, int& transitionSteps);

}  // namespace kvx
