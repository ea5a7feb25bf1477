#pragma once
// Switching the live view to one of the scene's cameras.
#include "interaction/transition.h"
#include "kvx_sdk.h"
#include "scene/scene.h"

#include <optional>

namespace kvx {

// What a camera switch did. The caller plays the transition: the live view
// has already been moved, so the move starts from `transitionFrom`.
struct CameraChange {
  bool switched = false;                       // a camera was made current
  std::optional<ViewSnapshot> transitionFrom;  // the live view before the switch, when there is one
  bool slow = false;                           // 2.6 s instead of 0.9 s
};

// The scene, live view and frame record a switch works on; the view and
// frame may be null (not bound yet).
struct CameraTarget {
  kvx::scene* scene = nullptr;
  kvx_ManipInfo* view = nullptr;
  kvx_FrameInfo* frame = nullptr;
};

// Camera `index` is copied into camera 0, made current and applied to the
// live view. Nothing switched without a scene or for an index out of range.
CameraChange makeCameraCurrent(const CameraTarget& target, int index, bool slow);

// The next user camera after the current one, as the "next camera"
// command steps: a view moved away from the current camera goes back to
// it when it is the only one.
CameraChange nextCamera(const CameraTarget& target);

}  // namespace kvx
