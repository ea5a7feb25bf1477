#pragma once
// Changes of the live view: pointer drags, fitting the scene, and the
// exchange between the live view and camera 0.
#include "kvx_sdk.h"
#include "scene/scene.h"

namespace kvx {

// Drags from (startX, startY) to (currentX, currentY) of the frame record.
void rotateView(kvx_ManipInfo& view, const kvx_FrameInfo& frame);
void panView(kvx_ManipInfo& view, const kvx_FrameInfo& frame);
// Field of view scaled by the drag; never above 179, unbounded below.
void zoomView(kvx_ManipInfo& view, const kvx_FrameInfo& frame);

// Fits the whole scene: bounds (kept when the scene's are degenerate),
// centre, radius, no pan, field of view 32, the start orientation.
void fitView(kvx_ManipInfo& view, scene& scene);

// The live view as a camera looking at the centre from 2 * viewRadius away.
void liveCamera(const kvx_ManipInfo& view, SceneView& camera);
// Writes the live view into camera 0 when the scene has cameras.
void syncLiveCamera(scene& scene, const kvx_ManipInfo& view);
// Makes the camera the live view; the frame record's pointer positions are reset.
void applyCamera(const SceneView& camera, kvx_ManipInfo& view, kvx_FrameInfo* frame);

}  // namespace kvx
