#include "sdk/frame_loop.h"

#include "interaction/cut_section.h"
#include "render/cut_plane_drawing.h"
#include "render/scene_frame.h"
#include "render/window_overlays.h"

#include <GL/gl.h>

#include <algorithm>

namespace kvx {
namespace {

using State = kvx_GL_Plugin::State;

void present(const State& s) {
  if (s.system->presentFrame) s.system->presentFrame(s.system->userData);
}

// A new transition (remaining = total) aims at the live view as it stands;
// one that would not move plays no frames.
void beginDraw(State& s) {
  Transition& t = s.transition;
  t.clock->restart();
  t.frameCounter = 0;
  t.elapsedMs = t.lastFrameMs = 0;
  t.expectedMs = 100;
  t.firstFrameUpload = t.firstFrameUploadHandled = false;
  if (t.remaining != t.steps) return;
  t.target = snapshotOf(*s.manip);
  t.boundsChanged = !sameBounds(t.start, t.target);
  if (sameView(t.start, t.target)) t.remaining = 0;
  t.expectedMs = double(t.steps) * t.frameTimeMs;
  t.running = t.remaining > 0;
}

void advanceTransition(State& s) {
  Transition& t = s.transition;
  if (t.frameCounter >= 1 && !t.firstFrameUpload) {
    const StepCounts steps =
        adaptSteps({t.steps, t.remaining}, t.frameTimeMs, t.frameCounter, t.elapsedMs, t.expectedMs);
    t.steps = steps.total;
    t.remaining = steps.remaining;
  } else if (t.elapsedMs > t.expectedMs + 300) {
    t.remaining = 0;
  }
  // Slow frames end a transition early rather than late; a frame that just
  // turned slow counts more than the average of the fast ones before it.
  if (t.frameCounter >= 1 && mustEndNow(t.elapsedMs, std::max<double>(t.lastFrameMs, t.frameTimeMs), t.expectedMs))
    t.remaining = 0;
  const float total = float(t.steps);
  float u = total > 0 ? 1 - float(t.remaining) / total : 1;
  if (t.ease) u = ease(u);
  interpolateView(t.start, t.target, u, t.boundsChanged, *s.manip);
  if (t.boundsChanged) s.sectionCache.clear();
}

void measureFrame(State& s, bool uploaded) {
  Transition& t = s.transition;
  if (t.frameCounter == 0 && uploaded && t.running) t.firstFrameUpload = true;
  ++t.frameCounter;
  const double before = t.elapsedMs;
  t.elapsedMs = t.clock->elapsedMs();
  t.lastFrameMs = t.elapsedMs - before;
  if (t.firstFrameUpload && !t.firstFrameUploadHandled) {
    // The upload says nothing about the speed of later frames.
    t.firstFrameUploadHandled = true;
    t.clock->restart();
    --t.frameCounter;
    t.elapsedMs = t.lastFrameMs = 0;
  }
  t.frameTimeMs = measuredFrameTime(t.elapsedMs, t.frameCounter);
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
  in.measurementMode = s.drag.measurement.mode;
  in.highlightedObject = s.drag.objectMode ? s.drag.currentObject : -1;
  in.section = &s.sectionCache;
  in.cursor = {s.cursor.image, s.cursor.width, s.cursor.height, s.cursor.shown};
  return in;
}

// The band goes over a fresh frame in the back buffer: drawing on the front
// buffer is not kept by today's X servers and leaves the view black.
bool drawRubberBands(State& s) {
  const FrameResult result = drawSceneFrame(frameInputOf(s), s.render);
  s.perspective = result.perspective;
  // The rectangle and the measurement line both start where the drag began.
  const kvx_FrameInfo& f = *s.frame;
  drawRubberBand(s.drag.startX, f.currentX, s.drag.startY, f.currentY, s.drag.rectangle, f.width, f.height);
  present(s);
  return true;
}

}  // namespace

bool drawView(State& s, DrawKind kind) {
  if (!s.system || !s.frame || !s.manip || s.files.loading || s.files.viewLocked) return false;
  if (!s.scene) {
    drawEmptyGradient(s.frame->width, s.frame->height);
    glClear(GL_DEPTH_BUFFER_BIT);
    glFlush();
    present(s);
    return false;
  }
  if (s.drag.rectangle || s.drag.measurement.pending) return drawRubberBands(s);

  const bool single = kind == DrawKind::SingleStep;
  if (!(single && s.transition.running)) beginDraw(s);
  do {
    const bool playing = s.transition.running;
    if (s.transition.remaining > 0) --s.transition.remaining;
    if (playing) advanceTransition(s);
    const FrameResult result = drawSceneFrame(frameInputOf(s), s.render);
    s.perspective = result.perspective;
    if (!single) present(s);
    measureFrame(s, result.textureUploaded);
    if (s.transition.remaining == 0) s.transition.running = false;
  } while (!single && s.transition.running);
  return true;
}

}  // namespace kvx
