#include "sdk/frame_loop.h"

#include "interaction/cut_section.h"
#include "render/cut_plane_drawing.h"
#include "render/scene_frame.h"
#include "render/window_overlays.h"

#include <GL/gl.h>

namespace kvx {
namespace {

using State = kvx_GL_Plugin::State;

void present(const State& s) {
  if (s.system->presentFrame) s.system->presentFrame(s.system->userData);
}

// A new transition (remaining = total) aims at the live view as it stands;
// one that would not move plays no frames.
void beginDraw(State& s) {
  s.frameClock->restart();
  s.frameCounter = 0;
  s.elapsedMs = 0;
  s.expectedMs = 100;
  s.firstFrameUpload = s.firstFrameUploadHandled = false;
  if (s.remainingSteps != s.transitionSteps) return;
  s.transitionTarget = snapshotOf(*s.manip);
  s.boundsChanged = !sameBounds(s.transitionStart, s.transitionTarget);
  if (sameView(s.transitionStart, s.transitionTarget)) s.remainingSteps = 0;
  s.expectedMs = double(s.transitionSteps) * s.frameTimeMs;
  s.transitionRunning = s.remainingSteps > 0;
}

void advanceTransition(State& s) {
  if (s.frameCounter >= 1 && !s.firstFrameUpload) {
    const StepCounts steps = adaptSteps({s.transitionSteps, s.remainingSteps}, s.frameTimeMs, s.frameCounter,
                                        s.elapsedMs, s.expectedMs);
    s.transitionSteps = steps.total;
    s.remainingSteps = steps.remaining;
  } else if (s.elapsedMs > s.expectedMs + 300) {
    s.remainingSteps = 0;
  }
  const float total = float(s.transitionSteps);
  float u = total > 0 ? 1 - float(s.remainingSteps) / total : 1;
  if (s.ease) u = ease(u);
  interpolateView(s.transitionStart, s.transitionTarget, u, s.boundsChanged, *s.manip);
  if (s.boundsChanged) s.sectionCache.clear();
}

void measureFrame(State& s, bool uploaded) {
  if (s.frameCounter == 0 && uploaded && s.transitionRunning) s.firstFrameUpload = true;
  ++s.frameCounter;
  s.elapsedMs = s.frameClock->elapsedMs();
  if (s.firstFrameUpload && !s.firstFrameUploadHandled) {
    // The upload says nothing about the speed of later frames.
    s.firstFrameUploadHandled = true;
    s.frameClock->restart();
    --s.frameCounter;
    s.elapsedMs = 0;
  }
  s.frameTimeMs = measuredFrameTime(s.elapsedMs, s.frameCounter);
}

// What the renderer needs of the state. The section is built here, once per
// cut, and a new scene's logo picked up before its first frame.
FrameInput frameInputOf(State& s) {
  scene& scene = *s.scene;
  if (s.render.lastScene != &scene && scene.blobImage.pixels.empty()) scene.loadBlobImage();
  if (const kvx_CutPlane* plane = activeCutPlane(*s.manip); plane && s.sectionCache.empty())
    if (const auto equation = cutPlaneEquation(*plane, s.manip->bounds))
      s.sectionCache = buildSection(scene, *equation, s.manip->bounds);
  FrameInput in;
  in.scene = &scene;
  in.view = s.manip;
  in.frame = s.frame;
  in.automaticLight = s.automaticLight;
  in.animating = s.tour.running;
  in.measurementMode = s.measurement.mode;
  in.highlightedObject = s.objectMode ? s.currentObject : -1;
  in.section = &s.sectionCache;
  in.cursor = {s.cursorImage, s.cursorWidth, s.cursorHeight, s.cursorShown};
  return in;
}

bool drawRubberBands(State& s) {
  // The rectangle and the measurement line both start where the drag began.
  const kvx_FrameInfo& f = *s.frame;
  updateRubberBand(s.rubberBand.lastDrawn, s.rectangleStartX, f.currentX, s.rectangleStartY, f.currentY,
                   s.selectionRectangle, f.width, f.height);
  return true;
}

}  // namespace

bool drawView(State& s, DrawKind kind) {
  if (!s.system || !s.frame || !s.manip || s.loading || s.viewLocked) return false;
  if (!s.scene) {
    drawEmptyGradient(s.frame->width, s.frame->height);
    glClear(GL_DEPTH_BUFFER_BIT);
    glFlush();
    present(s);
    return false;
  }
  if (s.selectionRectangle || s.measurement.pending) return drawRubberBands(s);

  const bool single = kind == DrawKind::SingleStep;
  if (!(single && s.transitionRunning)) beginDraw(s);
  do {
    const bool playing = s.transitionRunning;
    if (s.remainingSteps > 0) --s.remainingSteps;
    if (playing) advanceTransition(s);
    const FrameResult result = drawSceneFrame(frameInputOf(s), s.render);
    s.perspective = result.perspective;
    if (!single) present(s);
    measureFrame(s, result.textureUploaded);
    if (s.remainingSteps == 0) s.transitionRunning = false;
  } while (!single && s.transitionRunning);
  return true;
}

}  // namespace kvx
