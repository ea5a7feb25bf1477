#include "interaction/measurement.h"

#include "interaction/point_pick.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace kvx {
namespace {

using State = kvx_GL_Plugin::State;

kvx_Measure& measureRecord(State& s) {
  if (!s.manip->measure) {
    s.measure = std::make_unique<kvx_Measure>();
    *s.measure = {};
    s.manip->measure = s.measure.get();
  }
  return *s.manip->measure;
}

void dropMeasureRecord(State& s) {
  if (s.manip) s.manip->measure = nullptr;
  s.measure.reset();
}

std::optional<PickedPoint> pickAt(State& s, int x, int y) {
  const bool cut = s.manip->cutPlane && s.manip->cutPlane->plan > 0;
  const std::span<const float> section = cut ? std::span<const float>(s.sectionCache) : std::span<const float>();
  const WindowProjector projector =
      WindowProjector::forLiveView(*s.scene, *s.manip, s.frame->width, s.frame->height, s.animating);
  return pickPoint(*s.scene, section, projector, x, y);
}

}  // namespace

void measurementPick(kvx_GL_Plugin& sdk, int x, int y) {
  State& s = sdk.state();
  if (!s.scene || !s.manip || !s.frame) return;
  const std::optional<PickedPoint> picked = pickAt(s, x, y);
  if (picked && !s.measurementPending) {
    kvx_Measure& m = measureRecord(s);
    std::copy_n(picked->position, 3, m.pointA);
    m.distance = -1;
    // The rubber line starts at the point, in window coordinates from the top left.
    s.rectangleStartX = static_cast<int>(picked->window.x);
    s.rectangleStartY = s.frame->height - static_cast<int>(picked->window.y);
    s.measurementPending = true;
  } else if (picked) {
    kvx_Measure& m = measureRecord(s);
    std::copy_n(picked->position, 3, m.pointB);
    const float dx = m.pointB[0] - m.pointA[0], dy = m.pointB[1] - m.pointA[1], dz = m.pointB[2] - m.pointA[2];
    m.distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    s.measurementPending = false;
    if (dx != 0 || dy != 0 || dz != 0)
      s.scene->sceneFlags |= KVX_SCENE_MEASURED;
    else
      s.scene->sceneFlags &= ~KVX_SCENE_MEASURED;
    sdk.Refresh();
  } else if (!s.measurementPending) {
    s.scene->sceneFlags &= ~KVX_SCENE_MEASURED;
    dropMeasureRecord(s);
    sdk.Refresh();
  }
}

void cancelMeasurement(kvx_GL_Plugin& sdk) {
  State& s = sdk.state();
  if (s.measurementPending) {
    s.measurementPending = false;
    if (s.scene) s.scene->sceneFlags &= ~KVX_SCENE_MEASURED;
    sdk.Refresh();
  }
  if (s.measurementMode) {
    s.measurementMode = false;
    sdk.Refresh();
  }
}

void forgetMeasurement(State& s) {
  s.measurementPending = false;
  s.measurementMode = false;
  dropMeasureRecord(s);
}

}  // namespace kvx
