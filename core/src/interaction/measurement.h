#pragma once
// The distance measurement between two picked points: its record, the
// pending first point and scene flag 0x02 (a complete measurement of two
// distinct points exists).
#include "interaction/window_projection.h"

#include <array>
#include <memory>
#include <optional>
#include <span>

namespace kvx {

struct Measurement {
  bool mode = false;     // pointer releases pick measurement points
  bool pending = false;  // the first point is picked, the second awaited
  std::unique_ptr<kvx_Measure> record;  // the live view's `measure` points here while it exists
};

// Where a pick looks: the scene as the live view shows it, and the section
// points of an active cut (empty: every vertex).
struct MeasurePick {
  kvx::scene& scene;
  kvx_ManipInfo& view;
  const WindowProjector& projector;
  std::span<const float> section;
  int windowHeight = 0;
};

// What a pick changed: a picture to redraw, a rubber line started at a
// window point (from the top left).
struct MeasureStep {
  bool redraw = false;
  std::optional<std::array<int, 2>> lineStart;
};

// A pick at window pixel (x, y) from the bottom left: the first point,
// the second point, or (on empty space, with nothing pending) the end of
// the measurement.
MeasureStep measurementPick(Measurement& measurement, const MeasurePick& where, int x, int y);

// Drops a pending first point; leaves measurement mode. True when the
// picture changed.
bool cancelMeasurement(Measurement& measurement, scene* scene);

// Ends everything of a measurement with its file: the record, the pending
// point and the mode.
void forgetMeasurement(Measurement& measurement, kvx_ManipInfo* view);

}  // namespace kvx
