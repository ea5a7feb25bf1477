// Window messages of the control: size, keys, buttons and pointer moves.
#include "glimmer_obj.h"

#include "input_rules.h"
#include "tools_window.h"
#include "x_connection.h"

#include <X11/Xutil.h>

#include <exception>

namespace glimmer {

void CGlimmerObj::handleEvent(const XEvent& event) {
  switch (event.type) {
    case Expose: invalidate(); break;
    case ConfigureNotify:
      if (event.xconfigure.width != width_ || event.xconfigure.height != height_)
        OnSize(event.xconfigure.width, event.xconfigure.height);
      break;
    case KeyPress: OnKeyDown(event.xkey); break;
    case ButtonPress:
      if (event.xbutton.button == Button1) OnLButtonDown(event.xbutton.x, event.xbutton.y);
      if (event.xbutton.button == Button2 || event.xbutton.button == Button3)
        OnRButtonDown(event.xbutton.x, event.xbutton.y);
      break;
    case ButtonRelease:
      if (event.xbutton.button >= Button1 && event.xbutton.button <= Button3) OnButtonUp();
      break;
    case MotionNotify: OnMouseMove(event.xmotion); break;
    case MapNotify: ToolsWindow::onControlShown(true); break;
    case UnmapNotify: ToolsWindow::onControlShown(false); break;
    default: break;
  }
}

void CGlimmerObj::OnSize(int width, int height) {
  try {
    width_ = width;
    height_ = height;
    if (surface_.makeCurrent() && sdk_) sdk_->Resize(width_, height_);
    invalidate();
  } catch (const std::exception& e) {
    reportFailure("OnSize", e.what());
  }
}

void CGlimmerObj::OnKeyDown(const XKeyEvent& key) {
  XKeyEvent copy = key;
  const KeySym keysym = XLookupKeysym(&copy, 0);
  // The focus is in this window, so the container sees its shortcuts
  // (Ctrl+S, ...) only when the control hands them back.
  if (const unsigned int modifiers = containerShortcutModifiers(key.state);
      modifiers && site_ && keysym != NoSymbol && site_->TranslateAccelerator(keysym, modifiers))
    return;
  if (!sdk_) return;
  try {
    const KeyAction action = actionForVirtualKey(virtualKeyOf(keysym == XK_VoidSymbol ? 0 : keysym));
    switch (action.kind) {
      case KeyAction::Nothing: return;
      case KeyAction::StopAnim: StopAnim(); return;
      case KeyAction::StartAnim: StartAnim(); return;
      case KeyAction::Command:
        surface_.makeCurrent();
        sdk_->OnEvent(action.command);
        interpolating_ = true;
        setTimer(kAnimationTimer, 30);
        invalidate();
        return;
    }
  } catch (const std::exception& e) {
    reportFailure("OnKeyDown", e.what());
  }
}

void CGlimmerObj::startDrag(int x, int y) {
  SetCurrentActiveX();
  surface_.takeFocus();  // the pointer stays with the window through the button's implicit grab
  dragActive_ = true;
  dragX_ = x;
  dragY_ = y;
}

void CGlimmerObj::OnLButtonDown(int x, int y) {
  try {
    if (overlay_ && insideOverlay(*overlay_, width_, height_, x, y)) {
      SetCurrentActiveX();
      if (toolsWindowFlag_)
        ToolsWindow::showFor(this);
      else
        showAbout();
      return;
    }
    startDrag(x, y);
  } catch (const std::exception& e) {
    reportFailure("OnLButtonDown", e.what());
  }
}

void CGlimmerObj::OnRButtonDown(int x, int y) {
  try {
    startDrag(x, y);
  } catch (const std::exception& e) {
    reportFailure("OnRButtonDown", e.what());
  }
}

void CGlimmerObj::OnButtonUp() {
  dragActive_ = false;
  invalidate();
}

void CGlimmerObj::OnMouseMove(const XMotionEvent& motion) {
  try {
    const int x = toSigned16(motion.x), y = toSigned16(motion.y);
    if (!dragActive_) {
      const bool hand = overlay_ && insideOverlay(*overlay_, width_, height_, x, y);
      if (hand != overHand_) surface_.setHandCursor(hand);
      overHand_ = hand;
      return;
    }
    if (!sdk_) return;
    surface_.makeCurrent();
    sdk_->ManipFromPointerMove(manipModeFor(motion.state), dragX_, dragY_, x, y);
    invalidate();
    dragX_ = x;
    dragY_ = y;
  } catch (const std::exception& e) {
    reportFailure("OnMouseMove", e.what());
  }
}

void CGlimmerObj::onTimer(int id) {
  if (id == kAnimationTimer) invalidate();
  if (id == kDownloadTimer) OnDownloadTimer();
}

}  // namespace glimmer
