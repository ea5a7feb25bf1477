#pragma once
// The OpenGL window of the frame. It owns the context and the three records
// shared with the core, and turns paint, size, key and pointer events into
// SDK calls or frame commands.
#include "input_translation.h"
#include "kvx_sdk.h"

#include <wx/glcanvas.h>
#include <wx/image.h>

#include <memory>
#include <string>

namespace kavrik {

class MyFrame;

class ViewerCanvas : public wxGLCanvas {
 public:
  ViewerCanvas(wxWindow* parent, const wxSize& size);
  ~ViewerCanvas() override;

  void setFrame(MyFrame* frame) { frame_ = frame; }

  // Binds the records to the core once the context can be made current.
  void initialiseIfNeeded();
  bool needsInitialisation() const { return needsInit_; }
  // Hook 0, then a frame from the core unless the frame is busy or animating.
  void requestRender();
  // A frame from the core now, without the hook.
  void renderNow();
  // The next frame shown and the end of the render that shows it are logged
  // (debug level) as "first frame of FILE" and "view settled of FILE", with
  // the wall-clock time, so that launch times can be measured from outside.
  void watchOpening(const std::string& file);
  // Shows the back buffer (after frames the core does not present itself).
  void repaint();
  bool makeCurrent();
  // A new frame from the core, read back before it is shown; an invalid
  // image when nothing could be drawn.
  wxImage capturePicture();

  const kvx_FrameInfo& frameInfo() const { return frameInfo_; }
  // The live records handed to InitDisplay, which the conference reads and steers.
  kvx_FrameInfo& liveFrameInfo() { return frameInfo_; }
  kvx_ManipInfo& liveManip() { return manip_; }
  // The pointer handler, also reached by synthetic events in tests.
  void handlePointer(const PointerState& state, int x, int y, bool entering, bool leaving);
  // Zooms by wheel notches (positive: closer) through the core's zoom drag,
  // towards the pointer through its pan drag.
  void wheelZoom(int x, int y, int notches);

 private:
  void onPaint(wxPaintEvent& event);
  void onSize(wxSizeEvent& event);
  void onChar(wxKeyEvent& event);
  void onMouse(wxMouseEvent& event);
  void onWheel(wxMouseEvent& event);
  kvx_GL_Plugin* sdk() const;
  void clearWithoutCore();

  static void presentFrame(void* userData);
  void noteSettledIfOpening();

  MyFrame* frame_ = nullptr;
  std::unique_ptr<wxGLContext> context_;
  kvx_SystemInfo system_{};
  kvx_FrameInfo frameInfo_{};
  kvx_ManipInfo manip_{};
  bool needsInit_ = true;
  std::string openingFile_;
  bool openingShown_ = false;
};

}  // namespace kavrik
