#include "conf_dpy_data.h"

#include "services/debuglog.h"
#include "shared_view_frame.h"
#include "tlm_messages.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kvx::conf {

namespace {
// A peer's pointer position in pixels; a non-finite or far-off value from
// a damaged frame stays a representable position instead of overflowing.
int pointerPixel(float value) {
  constexpr float kFarthest = 1 << 20;
  return std::isfinite(value) ? static_cast<int>(std::clamp(value, -kFarthest, kFarthest)) : 0;
}

using F = TlmFullManipInfo;

// displayFlags bits 0x01..0x20 travel as 0x40..0x800; the commands whose
// check marks mirror them (0x20 shares 605 with 0x10, the later write wins).
constexpr int kDisplayCheckCommands[6] = {600, 604, 601, 602, 605, 605};

// A slave rebuilds centre and radius from the bounds it receives (their
// midpoint and diagonal), but a camera's view keeps a centre and radius of
// its own. Such a view travels with the bounds scaled about its centre so
// that the rule gives them back; the plane position is restated against
// those bounds so that the plane cuts at the same place.
void boundsDescribingView(const kvx_ManipInfo& view, float out[6], float& cutPosition) {
  const float* b = view.bounds;
  float half[3], diagonal2 = 0;
  bool centred = true;
  for (int i = 0; i < 3; ++i) {
    half[i] = (b[2 * i + 1] - b[2 * i]) / 2;
    diagonal2 += 4 * half[i] * half[i];
    centred = centred && (b[2 * i] + b[2 * i + 1]) / 2 == view.center[i];
  }
  const float diagonal = std::sqrt(diagonal2);
  std::memcpy(out, b, 6 * sizeof(float));
  if (centred && diagonal == view.viewRadius) return;
  const float scale = diagonal > 0 ? view.viewRadius / diagonal : 0;
  for (int i = 0; i < 3; ++i) {
    const float h = diagonal > 0 ? half[i] * scale : view.viewRadius / (2 * std::sqrt(3.0f));
    out[2 * i] = view.center[i] - h;
    out[2 * i + 1] = view.center[i] + h;
  }
  if (const kvx_CutPlane* plane = view.cutPlane; plane && plane->plan >= 1 && plane->plan <= 3) {
    const int a = plane->plan - 1;
    const float at = b[2 * a] + cutPosition * (b[2 * a + 1] - b[2 * a]);
    const float extent = out[2 * a + 1] - out[2 * a];
    if (extent != 0) cutPosition = (at - out[2 * a]) / extent;
  }
}

}  // namespace

ConfDpyData::~ConfDpyData() { dropOwnMeasure(); }

bool ConfDpyData::usable(const char* operation, const void* message) const {
  if (!manip_ || !frameInfo_) {
    KVX_LOG(LOG_ERROR, "ConfDpyData::%s: null manip or frame info.\n", operation);
    return false;
  }
  if (!message || !frame_ || !sdk_) {
    KVX_LOG(LOG_ERROR, "ConfDpyData::%s: error fmi %p m_mfrm %p m_sdk %p\n", operation, message,
            static_cast<const void*>(frame_), static_cast<const void*>(sdk_));
    return false;
  }
  return true;
}

int ConfDpyData::getData(TlmFullManipInfo* message) {
  if (!usable("getData", message)) return -1;
  TlmFullManipInfo& m = *message;
  const int32_t s = m.s;
  const uint32_t us = m.us;
  m = TlmFullManipInfo();
  m.s = s, m.us = us;
  sdk_->ShowCursor(false);

  const kvx_ManipInfo& view = *manip_;
  const kvx_FrameInfo& fi = *frameInfo_;
  m.f = (uint32_t(view.displayFlags) & 0x3f) << 6;
  if (view.displayFlags & 0x40) m.f |= F::kDisplayFlag40;
  m.nx = fi.width ? fi.currentX - fi.width * 0.5f : 0;
  m.ny = fi.height ? float(fi.currentY) / fi.height : 0;
  m.viewHeight = fi.height ? float(fi.height) : 1.0f;
  m.tx = view.panX;
  m.ty = view.panY;
  std::memcpy(m.q, view.rotation, sizeof m.q);
  m.z = view.fieldOfView;

  if (const kvx_CutPlane* plane = view.cutPlane) {
    if (plane->plan != -1) m.f |= F::kCutActive;
    m.f |= plane->plan == 1 ? F::kCutAlongX : plane->plan == 2 ? F::kCutAlongY : F::kCutAlongZ;
    if (plane->inverted) m.f |= F::kCutInverted;
    if (plane->transparent) m.f |= F::kCutTransparent;
    m.cp = plane->position;
  }
  boundsDescribingView(view, m.bounds, m.cp);
  if (const kvx_Measure* measure = view.measure; measure && measure->distance > 0) {
    m.f |= F::kMeasurePresent;
    std::memcpy(m.measure, measure->pointA, 3 * sizeof(float));
    std::memcpy(m.measure + 3, measure->pointB, 3 * sizeof(float));
  }
  switch (frame_->openToolPanel()) {
    case kAnnotationPanel:
      m.f |= F::kAnnotationPanelOpen;
      m.camera = static_cast<int16_t>(sdk_->GetCurrentCameraIndex());
      break;
    case kCutPlanePanel: m.f |= F::kCutPanelOpen; break;
    case kMeasurePanel: m.f |= F::kMeasurePanelOpen; break;
    default: break;
  }
  return 0;
}

int ConfDpyData::applyData(const TlmFullManipInfo* message) {
  if (!usable("applyData", message)) return -1;
  const TlmFullManipInfo& m = *message;
  applyDisplayFlags(m.f);
  sdk_->SetInterpolate(false);

  kvx_ManipInfo& view = *manip_;
  view.panX = m.tx;
  view.panY = m.ty;
  std::memcpy(view.rotation, m.q, sizeof view.rotation);
  view.fieldOfView = m.z;
  std::memcpy(view.bounds, m.bounds, sizeof view.bounds);
  const float* b = m.bounds;
  view.center[0] = (b[0] + b[1]) / 2;
  view.center[1] = (b[2] + b[3]) / 2;
  view.center[2] = (b[4] + b[5]) / 2;
  const float dx = b[1] - b[0], dy = b[3] - b[2], dz = b[5] - b[4];
  view.viewRadius = std::sqrt(dx * dx + dy * dy + dz * dz);

  kvx_FrameInfo& fi = *frameInfo_;
  const float viewHeight = m.viewHeight != 0 && std::isfinite(m.viewHeight) ? m.viewHeight : 1.0f;
  fi.currentX = pointerPixel(fi.height / viewHeight * m.nx + (fi.width + 1) * 0.5f);
  fi.currentY = pointerPixel(fi.height * m.ny + 0.5f);
  sdk_->ShowCursor(true);

  applyCutPlane(m);
  applyMeasure(m);
  applyToolPanel(m);
  return 0;
}

void ConfDpyData::applyDisplayFlags(uint32_t f) {
  uint8_t flags = 0;
  for (int bit = 0; bit < 6; ++bit) {
    const bool on = f & (0x40u << bit);
    if (on) flags |= uint8_t(1u << bit);
    frame_->setCheck(kDisplayCheckCommands[bit], on);
  }
  if (f & F::kDisplayFlag40) flags |= 0x40;
  manip_->displayFlags = flags;
}

void ConfDpyData::applyCutPlane(const TlmFullManipInfo& m) {
  if (!(m.f & F::kCutActive)) {
    sdk_->SetCutPlane(static_cast<kvx_CutPlane::CurrentPlan>(-1));
    manip_->cutPlane = nullptr;  // the record stays the SDK object's to free
    return;
  }
  const auto plan = (m.f & F::kCutAlongZ)   ? kvx_CutPlane::Z_PLAN
                    : (m.f & F::kCutAlongX) ? kvx_CutPlane::X_PLAN
                    : (m.f & F::kCutAlongY) ? kvx_CutPlane::Y_PLAN
                                            : kvx_CutPlane::Z_PLAN;
  // SetCutPlane makes the record (owned by the SDK object) when there is none.
  sdk_->SetCutPlane(plan);
  if (kvx_CutPlane* plane = manip_->cutPlane) {
    plane->inverted = m.f & F::kCutInverted;
    plane->transparent = m.f & F::kCutTransparent;
    plane->position = m.cp;
  }
}

void ConfDpyData::applyMeasure(const TlmFullManipInfo& m) {
  if (!(m.f & F::kMeasurePresent)) {
    manip_->measure = nullptr;
    measure_.reset();
    return;
  }
  if (!manip_->measure) {
    measure_ = std::make_unique<kvx_Measure>();
    *measure_ = {};
    manip_->measure = measure_.get();
  }
  kvx_Measure& measure = *manip_->measure;
  std::memcpy(measure.pointA, m.measure, 3 * sizeof(float));
  std::memcpy(measure.pointB, m.measure + 3, 3 * sizeof(float));
  const float dx = m.measure[3] - m.measure[0], dy = m.measure[4] - m.measure[1], dz = m.measure[5] - m.measure[2];
  const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (distance != 0) measure.distance = distance;
}

void ConfDpyData::applyToolPanel(const TlmFullManipInfo& m) {
  const uint32_t panels = m.f & (F::kAnnotationPanelOpen | F::kCutPanelOpen | F::kMeasurePanelOpen);
  const int wanted = (panels & F::kAnnotationPanelOpen) ? kAnnotationPanel
                     : (panels & F::kCutPanelOpen)      ? kCutPlanePanel
                     : (panels & F::kMeasurePanelOpen)  ? kMeasurePanel
                                                        : kNoToolPanel;
  if (wanted == kNoToolPanel) {
    if (frame_->openToolPanel() != kNoToolPanel) frame_->closeToolPanel();
    return;
  }
  if (frame_->openToolPanel() != wanted) frame_->showToolPanel(wanted);
  if (wanted == kAnnotationPanel && m.camera != sdk_->GetCurrentCameraIndex()) sdk_->SetCurrentCamera(m.camera, true);
  frame_->render();
}

void ConfDpyData::dropOwnMeasure() {
  if (manip_ && measure_ && manip_->measure == measure_.get()) manip_->measure = nullptr;
  measure_.reset();
}

}  // namespace kvx::conf
