#include "interaction/measurement.h"

#include "interaction/point_pick.h"

#include <algorithm>
#include <cmath>

namespace kvx {
namespace {

kvx_Measure& measureRecord(Measurement& measurement, kvx_ManipInfo& view) {
  if (!view.measure) {
    measurement.record = std::make_unique<kvx_Measure>();
    *measurement.record = {};
    view.measure = measurement.record.get();
  }
  return *view.measure;
}

void dropMeasureRecord(Measurement& measurement, kvx_ManipInfo& view) {
  view.measure = nullptr;
  measurement.record.reset();
}

}  // namespace

MeasureStep measurementPick(Measurement& measurement, const MeasurePick& where, int x, int y) {
  MeasureStep step;
  const std::optional<PickedPoint> picked = pickPoint(where.scene, where.section, where.projector, x, y);
  if (picked && !measurement.pending) {
    kvx_Measure& m = measureRecord(measurement, where.view);
    std::copy_n(picked->position, 3, m.pointA);
    m.distance = -1;
    step.lineStart = std::array<int, 2>{static_cast<int>(picked->window.x),
                                        where.windowHeight - static_cast<int>(picked->window.y)};
    measurement.pending = true;
  } else if (picked) {
    kvx_Measure& m = measureRecord(measurement, where.view);
    std::copy_n(picked->position, 3, m.pointB);
    const float dx = m.pointB[0] - m.pointA[0], dy = m.pointB[1] - m.pointA[1], dz = m.pointB[2] - m.pointA[2];
    m.distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    measurement.pending = false;
    if (dx != 0 || dy != 0 || dz != 0)
      where.scene.sceneFlags |= KVX_SCENE_MEASURED;
    else
      where.scene.sceneFlags &= ~KVX_SCENE_MEASURED;
    step.redraw = true;
  } else if (!measurement.pending) {
    where.scene.sceneFlags &= ~KVX_SCENE_MEASURED;
    dropMeasureRecord(measurement, where.view);
    step.redraw = true;
  }
  return step;
}

bool cancelMeasurement(Measurement& measurement, scene* scene) {
  bool changed = false;
  if (measurement.pending) {
    measurement.pending = false;
    if (scene) scene->sceneFlags &= ~KVX_SCENE_MEASURED;
    changed = true;
  }
  if (measurement.mode) {
    measurement.mode = false;
    changed = true;
  }
  return changed;
}

void forgetMeasurement(Measurement& measurement, kvx_ManipInfo* view) {
  measurement.pending = false;
  measurement.mode = false;
  if (view) view->measure = nullptr;
  measurement.record.reset();
}

}  // namespace kvx
