#include "glimmer_obj.h"

#include "document_folder.h"
#include "kvx_commands.h"
#include "module_objects.h"
#include "text_convert.h"
#include "tools_window.h"
#include "x_connection.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <exception>
#include <iostream>

namespace glimmer {

CGlimmerObj::CGlimmerObj() { moduleObjectCreated(); }

CGlimmerObj::~CGlimmerObj() {
  InPlaceDeactivate();
  downloadThread_.cancelAndJoin();
  moduleObjectDestroyed();
}

HRESULT CGlimmerObj::QueryInterface(const GUID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IGlimmerObj)
    *object = static_cast<IGlimmerObj*>(this);
  else if (iid == IID_IPersistStreamInit)
    *object = static_cast<IPersistStreamInit*>(this);
  else if (iid == IID_IGlimmerInPlace)
    *object = static_cast<IGlimmerInPlace*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

uint32_t CGlimmerObj::Release() {
  uint32_t left;
  if (refs_.release(left)) delete this;
  return left;
}

HRESULT CGlimmerObj::Load(BSTR FileName) {
  const std::string name = toUtf8(std::u16string(FileName ? FileName : u"", bstrLength(FileName)));
  pending_ = name;
  invalidate();
  return S_OK;
}

HRESULT CGlimmerObj::StartAnim() {
  try {
    if (!animating_ && sdk_) {
      setTimer(kAnimationTimer, 30);
      sdk_->OnEvent(EV_ANIM_START);
      animating_ = true;
    }
  } catch (const std::exception& e) {
    reportFailure("IntStartAnim", e.what());
  }
  return S_OK;
}

HRESULT CGlimmerObj::StopAnim() {
  try {
    if (animating_) {
      killTimer(kAnimationTimer);
      animating_ = false;
      if (sdk_) sdk_->OnEvent(EV_ANIM_STOP);
      invalidate();
    }
  } catch (const std::exception& e) {
    reportFailure("IntStopAnim", e.what());
  }
  return S_OK;
}

HRESULT CGlimmerObj::ShowToolbar(long _Visible) {
  toolsWindowFlag_ = _Visible > 0;
  return S_OK;
}

HRESULT CGlimmerObj::SetSite(IGlimmerSite* site) {
  site_ = site;
  return S_OK;
}

HRESULT CGlimmerObj::InPlaceActivate(int x, int y, int width, int height) {
  if (surface_.exists()) return SetRect(x, y, width, height);
  if (!site_) return E_FAIL;
  try {
    surface_.create(xconn::display(), site_->ParentWindow(), x, y, width, height);
  } catch (const std::exception& e) {
    reportFailure("CreateContext", e.what());
    return E_FAIL;
  }
  xconn::attach(surface_.window(), this);
  width_ = width;
  height_ = height;
  // Starting state until the core sets its own: 30 degree perspective.
  glEnable(GL_DEPTH_TEST);
  glViewport(0, 0, width_, height_);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(30.0, height_ > 0 ? static_cast<double>(width_) / height_ : 1.0, 3.0, 20.0);
  glMatrixMode(GL_MODELVIEW);
  invalidate();
  return S_OK;
}

HRESULT CGlimmerObj::SetRect(int x, int y, int width, int height) {
  surface_.moveResize(x, y, width, height);
  if (surface_.exists()) OnSize(width, height);
  return S_OK;
}

HRESULT CGlimmerObj::InPlaceDeactivate() {
  if (!surface_.exists()) return S_OK;
  try {
    StopAnim();
    downloadThread_.cancelAndJoin();
    surface_.makeCurrent();
    if (overlayTexture_) glDeleteTextures(1, &overlayTexture_);
    overlayTexture_ = 0;
    // The SDK object goes before the library that holds its code.
    delete sdk_;
    sdk_ = nullptr;
    engineReady_ = false;
    core_.release();
    xconn::detach(surface_.window(), this);
    surface_.destroy();
    if (CGlimmerObj* other = xconn::anyControl()) {
      // The site may go with this control; the tools window stays for the others.
      ToolsWindow::siteLeaving(site_, other->site());
    } else {
      ToolsWindow::destroy();
      DocumentFolder::removeAll();
    }
  } catch (const std::exception& e) {
    reportFailure("OnDestroy", e.what());
  }
  return S_OK;
}

HRESULT CGlimmerObj::DispatchPending(int* nextTimerMs) {
  const int next = xconn::dispatchPending();
  if (nextTimerMs) *nextTimerMs = next;
  return S_OK;
}

HRESULT CGlimmerObj::ToolsCommand(int controlId) {
  ToolsWindow::command(controlId);
  return S_OK;
}

void CGlimmerObj::reportFailure(const char* caption, const std::string& text, MessageIcon icon) {
  if (site_)
    site_->ShowMessage(caption, text.c_str(), icon);
  else
    std::cerr << caption << ": " << text << '\n';
}

bool CGlimmerObj::isActive() const { return xconn::activeControl() == this; }

void CGlimmerObj::SetCurrentActiveX() {
  try {
    xconn::setActiveControl(this);
    ToolsWindow::setOwnerSite(site_);
  } catch (const std::exception& e) {
    reportFailure("SetCurrentActiveX", e.what());
  }
}

void CGlimmerObj::setTimer(int id, int intervalMs) { xconn::setTimer(this, id, intervalMs); }
void CGlimmerObj::killTimer(int id) { xconn::killTimer(this, id); }

void CGlimmerObj::setDirty() {
  dirty_ = true;
  if (site_) site_->DataChanged();
}

void CGlimmerObj::showAbout() {
  if (site_) site_->AboutDialog(aboutSpec(moduleFolder()));
}

}  // namespace glimmer
