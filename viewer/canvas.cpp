#include "canvas.h"

#include "frame.h"

#include <GL/gl.h>
#include <wx/dcclient.h>

namespace kavrik {
namespace {

// True while the pointer is outside the canvas.
bool pointerSuspended = false;

wxGLAttributes canvasAttributes() {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(16).EndList();
  return attributes;
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
}

ViewerCanvas::~ViewerCanvas() = default;

kvx_GL_Plugin* ViewerCanvas::sdk() const { return frame_ ? frame_->sdk() : nullptr; }

bool ViewerCanvas::makeCurrent() {
  return context_ && IsShownOnScreen() && SetCurrent(*context_);
}

void ViewerCanvas::presentFrame(void* userData) {
  auto* canvas = static_cast<ViewerCanvas*>(userData);
  if (canvas->makeCurrent()) canvas->SwapBuffers();
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
  if (makeCurrent()) sdk()->Render();
}

void ViewerCanvas::renderNow() {
  if (sdk() && !needsInit_ && makeCurrent()) sdk()->Render();
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
  if (!frame_ || frame_->isBusy()) return;
  frame_->dispatch(keyCommand(event.GetKeyCode(), event.ShiftDown()));
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
