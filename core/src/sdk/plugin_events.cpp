// Pointer events and commands.
#include "interaction/camera_tour.h"
#include "interaction/display_commands.h"
#include "interaction/manipulation.h"
#include "interaction/measurement.h"
#include "interaction/rectangle_selection.h"
#include "interaction/scene_edits.h"
#include "interaction/selection.h"
#include "sdk/camera_changes.h"
#include "sdk/plugin_state.h"
#include "services/debuglog.h"
#include "services/paths.h"

#include <unistd.h>

#include <cstdio>
#include <span>

namespace {

using State = kvx_GL_Plugin::State;

constexpr int kDefaultTransitionSteps = 38;
constexpr int kToggleSelection = 0x02;  // bit 1 of the pointer modifiers

kvx::ObjectMode objectModeOf(const State& s) {
  return {s.drag.objectMode, s.drag.currentObject, s.drag.deleteOthers};
}

void storeObjectMode(State& s, const kvx::ObjectMode& mode) {
  s.drag.objectMode = mode.on;
  s.drag.currentObject = mode.current;
  s.drag.deleteOthers = mode.deleteOthers;
}

void advanceInObjectMode(State& s) {
  kvx::ObjectMode mode = objectModeOf(s);
  kvx::advanceToSelectedObject(*s.scene, mode);
  storeObjectMode(s, mode);
}

void startRectangle(State& s, int x, int y) {
  s.drag.startX = x;
  s.drag.startY = y;
  s.drag.rectangle = true;
}

// Selects inside the dragged rectangle, converted to window pixels from the bottom left.
void finishRectangle(State& s) {
  std::fputs("End of selection: selecting\n", stderr);
  const kvx_FrameInfo& f = *s.frame;
  if (s.manip) {
    const auto projector = kvx::WindowProjector::forLiveView(*s.scene, *s.manip, f.width, f.height, s.tour.running);
    kvx::selectInRectangle(*s.scene, projector, s.drag.startX, f.height - s.drag.startY, f.currentX,
                           f.height - f.currentY, s.drag.toggle);
    if (s.drag.objectMode) advanceInObjectMode(s);
  }
  s.drag.rectangle = false;
}

// A measurement pick through the live view, with the section points of an active cut.
bool pickMeasurementPoint(State& s, int x, int y) {
  const bool cut = s.manip->cutPlane && s.manip->cutPlane->plan > 0;
  const std::span<const float> section = cut ? std::span<const float>(s.sectionCache) : std::span<const float>();
  const kvx_FrameInfo& f = *s.frame;
  const auto projector = kvx::WindowProjector::forLiveView(*s.scene, *s.manip, f.width, f.height, s.tour.running);
  const kvx::MeasurePick where{*s.scene, *s.manip, projector, section, f.height};
  const kvx::MeasureStep step = kvx::measurementPick(s.drag.measurement, where, x, y);
  if (step.lineStart) {
    s.drag.startX = (*step.lineStart)[0];
    s.drag.startY = (*step.lineStart)[1];
  }
  return step.redraw;
}

bool stopTour(State& s) {
  const auto change = kvx::stopCameraTour(s.tour, kvx::cameraTargetOf(s), s.transition.steps);
  if (change) kvx::playCameraChange(s, *change);
  return change.has_value();
}

bool startTour(State& s) {
  if (!s.scene || !s.manip) return false;
  stopTour(s);
  return kvx::startCameraTour(s.tour, kvx::cameraTargetOf(s), s.transition.steps, s.transition.frameTimeMs);
}

// Moves to the next camera of a running tour, or starts one.
bool stepTour(State& s) {
  if (!s.tour.running) return startTour(s);
  kvx::playCameraChange(s, kvx::stepCameraTour(s.tour, kvx::cameraTargetOf(s)));
  return true;
}

}  // namespace

bool kvx_GL_Plugin::OnMouseMove(kvx_MouseEvent* event) {
  State& s = *state_;
  if (!event || !s.frame) return false;
  if (s.drag.measurement.pending) Refresh();  // the rubber line follows the pointer
  int actions = event->actions;
  if ((actions & KVX_ACTION_ROTATE) && (actions & KVX_ACTION_ZOOM))
    actions = (actions & ~(KVX_ACTION_ROTATE | KVX_ACTION_ZOOM)) | KVX_ACTION_PAN;
  if (s.manip) {
    if (actions & KVX_ACTION_ROTATE) {
      s.viewChangedByCommand = false;
      kvx::rotateView(*s.manip, *s.frame);
    }
    if ((actions & KVX_ACTION_PAN) && !s.drag.rectangle) kvx::panView(*s.manip, *s.frame);
    if (actions & KVX_ACTION_ZOOM) kvx::zoomView(*s.manip, *s.frame);
  }
  // Without a scene no release could end the rectangle, so none starts.
  if ((actions & KVX_ACTION_SELECT) && !s.drag.rectangle && s.scene) {
    startRectangle(s, s.frame->startX, s.frame->startY);
    s.drag.toggle = event->modifiers & kToggleSelection;
  }
  return true;
}

bool kvx_GL_Plugin::OnMouseUp(kvx_MouseEvent* event) {
  State& s = *state_;
  if (!s.frame || !event || !s.scene) return false;
  kvx_FrameInfo& f = *s.frame;
  KVX_LOG(kvx::LOG_INFO, "kvx_GL_Plugin::OnMouseUp:flg 0x%x sX %d cX %d sY %d cY %d\n", event->actions,
          s.drag.startX, f.currentX, s.drag.startY, f.currentY);
  s.drag.toggle = event->modifiers & kToggleSelection;
  if ((event->actions & KVX_ACTION_SELECT) && !s.drag.rectangle) {
    // A click selects within 2 pixels of the pointer.
    startRectangle(s, f.currentX - 2, f.currentY - 2);
    f.currentX += 2;
    f.currentY += 2;
  } else if (event->actions & KVX_ACTION_MEASURE) {
    if (s.manip && pickMeasurementPoint(s, f.currentX, f.height - f.currentY)) Refresh();
  }
  if (s.drag.rectangle) {
    finishRectangle(s);
    Refresh();
  }
  return true;
}

bool kvx_GL_Plugin::OnEvent(int code) {
  State& s = *state_;
  kvx::scene* scene = s.scene.get();
  kvx::ObjectMode mode = objectModeOf(s);
  switch (code) {
    case EV_VIEW_TOP: ViewPredefined(VIEW_TOP); return true;
    case EV_VIEW_FRONT: ViewPredefined(VIEW_FRONT); return true;
    case EV_VIEW_RIGHT: ViewPredefined(VIEW_RIGHT); return true;
    case EV_VIEW_LEFT: ViewPredefined(VIEW_LEFT); return true;
    case EV_VIEW_BACK: ViewPredefined(VIEW_BACK); return true;
    case EV_VIEW_BOTTOM: ViewPredefined(VIEW_BOTTOM); return true;
    case EV_VIEW_CAMERA: ViewPredefined(VIEW_CAMERA); return true;
    case EV_FIT: ResetManip(); return true;
    case EV_TOGGLE_TRANSITIONS:
      s.transition.steps = s.transition.steps != 0 ? 0 : kDefaultTransitionSteps;
      return true;
    case EV_NEXT_CAMERA: kvx::playCameraChange(s, kvx::nextCamera(kvx::cameraTargetOf(s))); return true;
    case EV_NEXT_ITEM:
    case EV_PREVIOUS_ITEM: {
      const int direction = code == EV_NEXT_ITEM ? 1 : -1;
      if (scene && mode.on) {
        kvx::stepObject(*scene, mode, direction);
        storeObjectMode(s, mode);
      } else if (scene) {
        kvx::stepPoint(*scene, s.drag.currentObject, direction);
      }
      Refresh();
      return true;
    }
    case EV_TOGGLE_OBJECT_MODE:
      if (!scene || scene->objects.empty()) return true;
      s.drag.objectMode = !s.drag.objectMode;
      if (s.drag.objectMode) advanceInObjectMode(s);
      Refresh();
      return true;
    case EV_TOGGLE_AUTO_LIGHT: s.automaticLight = !s.automaticLight; return true;
    case EV_ROTATE_MODE:
    case EV_PAN_MODE:
    case EV_ZOOM_MODE:
    case EV_SELECTION_MODE:
      if (kvx::cancelMeasurement(s.drag.measurement, scene)) Refresh();
      return true;
    case EV_SWAP_YZ:
      if (!scene) return true;
      kvx::swapYZ(*scene);
      s.sectionCache.clear();
      ResetManip();
      Refresh();
      return true;
    case EV_RECOMPUTE_NORMALS:
      if (!scene) return true;
      kvx::recomputeNormals(*scene);
      Refresh();
      return true;
    case EV_NOOP_603:
    case EV_NOOP_2003: return true;
    case EV_KEEP_SELECTION:
    case EV_DELETE_SELECTION:
      if (scene) {
        mode.deleteOthers = code == EV_KEEP_SELECTION;
        if (mode.deleteOthers) kvx::invertSelection(*scene);
        s.sectionCache.clear();
        kvx::deleteSelection(*scene, mode);
        storeObjectMode(s, mode);
      }
      Refresh();
      return true;
    case EV_SELECT_ALL:
      if (scene) kvx::selectAll(*scene);
      Refresh();
      return true;
    case EV_INVERT_SELECTION:
      if (scene) {
        kvx::invertSelection(*scene);
        advanceInObjectMode(s);
      }
      Refresh();
      return true;
    case EV_SELECT_NONE:
      if (scene) kvx::selectNone(*scene);
      Refresh();
      return true;
    case EV_MEASUREMENT_MODE:
      s.drag.measurement.mode = true;
      Refresh();
      return true;
    case EV_ANIM_START: startTour(s); return true;
    case EV_ANIM_STEP: stepTour(s); return true;
    case EV_ANIM_STOP: stopTour(s); return true;
    case EV_ANIM_STOP_AND_CANCEL:
      stopTour(s);
      if (kvx::cancelMeasurement(s.drag.measurement, scene)) Refresh();
      return true;
    case EV_DELETE_CAPTURE: return unlink(kvx::paths().captureScene.c_str()) == 0;
    case EV_CAPTURE_READY: return IsCaptureOk(nullptr);
    default:
      if (!kvx::isDisplayCommand(code)) return false;
      kvx::applyDisplayCommand(code, s.manip, scene);
      return true;
  }
}
