#include "canvas.h"

#include "frame.h"
#include "services/debuglog.h"

#include <GL/gl.h>
#include <wx/dcclient.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace kavrik {
namespace {

// True while the pointer is outside the canvas.
bool pointerSuspended = false;

// One wheel notch zooms as a drag over a tenth of the view's height; a fast
// spin is limited so that the view never turns inside out.
constexpr int kWheelStepDivisor = 10;
constexpr int kMostNotchesAtOnce = 5;

wxGLAttributes canvasAttributes() {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(16).EndList();
  return attributes;
}

double wallClockSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

ViewerCanvas::ViewerCanvas(wxWindow* parent, const wxSize& size)
    : wxGLCanvas(parent, canvasAttributes(), wxID_ANY, wxDefaultPosition, size,
                 wxSUNKEN_BORDER | wxCLIP_CHILDREN | wxWANTS_CHARS, "GLCanvas") {
  wxGLContextAttrs contextAttributes;
  contextAttributes.PlatformDefaults().CompatibilityProfile().EndList();
  context_ = std::make_unique<wxGLContext>(this, nullptr, &contextAttributes);
  if (!context_->IsOK()) context_.reset();

  Bind(wxEVT_PAINT, &ViewerCanvas::onPaint, this);
  Bind(wxEVT_SIZE, &ViewerCanvas::onSize, this);
  Bind(wxEVT_CHAR, &ViewerCanvas::onChar, this);
  for (const auto& type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MIDDLE_DOWN,
                           wxEVT_MIDDLE_UP, wxEVT_MIDDLE_DCLICK, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP,
                           wxEVT_RIGHT_DCLICK, wxEVT_MOTION, wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW})
    Bind(type, &ViewerCanvas::onMouse, this);
  Bind(wxEVT_MOUSEWHEEL, &ViewerCanvas::onWheel, this);
}

ViewerCanvas::~ViewerCanvas() = default;

kvx_GL_Plugin* ViewerCanvas::sdk() const { return frame_ ? frame_->sdk() : nullptr; }

bool ViewerCanvas::makeCurrent() {
  return context_ && IsShownOnScreen() && SetCurrent(*context_);
}

void ViewerCanvas::presentFrame(void* userData) {
  auto* canvas = static_cast<ViewerCanvas*>(userData);
  if (!canvas->makeCurrent()) return;
  canvas->SwapBuffers();
  if (!canvas->openingFile_.empty() && !canvas->openingShown_) {
    canvas->openingShown_ = true;
    KVX_LOG(kvx::LOG_INFO, "ViewerCanvas: first frame of %s at %.6f\n", canvas->openingFile_.c_str(),
            wallClockSeconds());
  }
}

void ViewerCanvas::watchOpening(const std::string& file) {
  openingFile_ = file;
  openingShown_ = false;
}

// The render that showed the new scene's first frame has played its opening
// transition to the end.
void ViewerCanvas::noteSettledIfOpening() {
  if (openingFile_.empty() || !openingShown_) return;
  KVX_LOG(kvx::LOG_INFO, "ViewerCanvas: view settled of %s at %.6f\n", openingFile_.c_str(), wallClockSeconds());
  openingFile_.clear();
}

wxImage ViewerCanvas::capturePicture() {
  const int width = frameInfo_.width, height = frameInfo_.height;
  if (!sdk() || needsInit_ || width <= 0 || height <= 0 || !makeCurrent()) return {};
  // One frame into the back buffer, not shown, read back at once.
  if (!sdk()->RenderFrame()) return {};
  std::vector<unsigned char> rows(size_t(width) * height * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  wxImage image(width, height);
  unsigned char* out = image.GetData();
  const size_t row = size_t(width) * 3;
  for (int y = 0; y < height; ++y) std::copy_n(rows.data() + (height - 1 - y) * row, row, out + y * row);
  return image;
}

void ViewerCanvas::initialiseIfNeeded() {
  if (!needsInit_) return;
  const wxSize size = GetClientSize();
  frameInfo_ = {};
  frameInfo_.width = size.x;
  frameInfo_.height = size.y;
  system_ = {0, this, &ViewerCanvas::presentFrame};
  manip_ = {};
  if (frame_ && sdk()) {
    // The core sets its OpenGL state here, so it needs the context.
    if (!makeCurrent()) return;
    sdk()->InitDisplay(&system_, &frameInfo_, &manip_);
  }
  if (context_) {
    frameInfo_.width = size.x;
    frameInfo_.height = size.y;
    if (sdk() && makeCurrent()) sdk()->Resize(size.x, size.y);
  }
  needsInit_ = false;
}

void ViewerCanvas::requestRender() {
  initialiseIfNeeded();
  if (frame_) frame_->hooks().call(FrameHooks::VIEW_CHANGED);
  if (!frame_ || frame_->isBusy() || frame_->isAnimating()) return;
  if (!sdk()) {
    clearWithoutCore();
    return;
  }
  if (!makeCurrent()) return;
  sdk()->Render();
  noteSettledIfOpening();
}

void ViewerCanvas::renderNow() {
  if (!sdk() || needsInit_ || !makeCurrent()) return;
  sdk()->Render();
  noteSettledIfOpening();
}

void ViewerCanvas::repaint() {
  if (makeCurrent()) SwapBuffers();
}

// Without the core the canvas still shows a calm, empty view.
void ViewerCanvas::clearWithoutCore() {
  if (!makeCurrent()) return;
  const wxSize size = GetClientSize();
  glViewport(0, 0, size.x, size.y);
  glClearColor(0.35f, 0.38f, 0.42f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SwapBuffers();
}

void ViewerCanvas::onPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (context_) requestRender();
}

void ViewerCanvas::onSize(wxSizeEvent& event) {
  event.Skip();
  const wxSize size = GetClientSize();
  if (!context_) return;
  frameInfo_.width = size.x;
  frameInfo_.height = size.y;
  if (sdk() && !needsInit_ && makeCurrent()) sdk()->Resize(size.x, size.y);
}

void ViewerCanvas::onChar(wxKeyEvent& event) {
  // Keys with Alt or Ctrl open menus and run their accelerators.
  if (event.AltDown() || event.ControlDown()) {
    event.Skip();
    return;
  }
  if (!frame_ || frame_->isBusy()) return;
  frame_->dispatch(keyCommand(event.GetKeyCode(), event.ShiftDown()));
}

void ViewerCanvas::onWheel(wxMouseEvent& event) {
  const int delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
  if (event.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL) wheelZoom(event.GetX(), event.GetY(), event.GetWheelRotation() / delta);
}

void ViewerCanvas::wheelZoom(int x, int y, int notches) {
  if (!frame_ || frame_->isBusy() || !sdk() || needsInit_ || notches == 0) return;
  notches = std::clamp(notches, -kMostNotchesAtOnce, kMostNotchesAtOnce);
  const int width = frameInfo_.width, height = frameInfo_.height;
  const int step = std::max(height / kWheelStepDivisor, 1);
  const int towards = notches > 0 ? step : -step;  // a drag of that many pixels upwards
  // The view grows about its centre by the inverse of the field of view's
  // factor; a pan of the difference keeps what is under the pointer there.
  const double growth = 1.0 / (1.0 - double(towards) / height);
  const int panX = static_cast<int>(std::lround((x - width / 2.0) * (1 - growth)));
  const int panY = static_cast<int>(std::lround((y - height / 2.0) * (1 - growth)));
  makeCurrent();
  for (int i = 0; i < std::abs(notches); ++i) {
    sdk()->ManipFromPointerMove(kvx_BaseSDK::ZOOM, x, y, x, y - towards);
    if (panX || panY) sdk()->ManipFromPointerMove(kvx_BaseSDK::PAN, x, y, x + panX, y + panY);
  }
  // The next drag starts from the pointer, not from the synthetic move.
  frameInfo_.startX = frameInfo_.currentX = x;
  frameInfo_.startY = frameInfo_.currentY = y;
  frame_->setLastView(0);
  frame_->updateState();
  requestRender();
}

void ViewerCanvas::onMouse(wxMouseEvent& event) {
  PointerState state;
  state.leftReleased = event.LeftUp();
  state.leftDown = event.LeftIsDown() && !state.leftReleased;
  state.middleDown = event.MiddleIsDown() && !event.MiddleUp();
  state.rightDown = event.RightIsDown() && !event.RightUp();
  state.moving = event.Moving() || event.Dragging();
  state.controlDown = event.ControlDown();
  state.shiftDown = event.ShiftDown();
  state.altDown = event.AltDown();
  handlePointer(state, event.GetX(), event.GetY(), event.Entering(), event.Leaving());
  event.Skip();
}

void ViewerCanvas::handlePointer(const PointerState& state, int x, int y, bool entering, bool leaving) {
  if (!frame_ || frame_->isBusy()) return;
  kvx_MouseEvent record = translatePointer(state, frame_->mouseMode());
  frameInfo_.currentX = x;
  frameInfo_.currentY = y;
  if (state.leftReleased) {
    if (sdk()) {
      makeCurrent();
      sdk()->OnMouseUp(&record);
    }
    frame_->refreshToolPanel();
  }
  if (leaving) {
    pointerSuspended = true;
  } else {
    if (entering) {
      pointerSuspended = false;
      frameInfo_.startX = x;
      frameInfo_.startY = y;
    }
    if (!pointerSuspended) {
      // The first event after a load is swallowed; it still sets where the
      // next step starts from.
      if (frame_->takeSkipNextPointer()) {
        frameInfo_.startX = x;
        frameInfo_.startY = y;
        return;
      }
      if (sdk()) {
        makeCurrent();
        sdk()->OnMouseMove(&record);
      }
      if (isDrag(state)) {
        frame_->setLastView(0);
        frame_->updateState();
        requestRender();
      }
    }
  }
  frameInfo_.startX = x;
  frameInfo_.startY = y;
  if (state.leftReleased) frame_->hooks().call(FrameHooks::VIEW_CHANGED);
}

}  // namespace kavrik
