#pragma once
// What the renderer needs for one frame, and what it reports back. The SDK
// object builds the input (sdk/frame_loop.cpp) from its state, so that the
// drawing code never sees that state.
#include "kvx_sdk.h"
#include "render/render_cache.h"

#include <vector>

namespace kvx {

class scene;

struct FrameCursor {
  const kvx_ARGB* image = nullptr;  // the host's pixels, top row first
  int width = 0, height = 0;
  bool shown = false;
};

struct FrameInput {
  kvx::scene* scene = nullptr;           // drawn; its textures are uploaded and camera 0 follows the view
  kvx_ManipInfo* view = nullptr;         // the live view, with display flags, cut plane and measurement
  const kvx_FrameInfo* frame = nullptr;  // size and pointer
  bool automaticLight = true;
  bool animating = false;                // a camera tour runs: always in perspective
  bool measurementMode = false;          // section points are shown as pickable
  int highlightedObject = -1;            // object mode: the current object
  const std::vector<float>* section = nullptr;  // where the cut meets the faces, 3 floats a point
  FrameCursor cursor;
};

struct FrameResult {
  bool textureUploaded = false;
  bool perspective = true;  // the projection the frame used
};

}  // namespace kvx
