#pragma once
// CGlimmerObj: one embedded view of a .kvx scene. It owns an X11 child
// window of the container's window with its own GLX context, binds the core
// on its first paint, and turns X events and timer ticks into SDK calls.
#include "glimmer_com.h"
#include "core_binding.h"
#include "gl_surface.h"
#include "overlay_image.h"
#include "ref_counted.h"
#include "url_download.h"

#include "kvx_sdk.h"

#include <X11/Xlib.h>

#include <optional>
#include <string>

namespace glimmer {

constexpr int kAnimationTimer = 100;  // 30 ms: animation and view transitions
constexpr int kDownloadTimer = 101;   // 100 ms: polls a running download

class CGlimmerObj final : public IGlimmerObj, public IPersistStreamInit, public IGlimmerInPlace {
 public:
  CGlimmerObj();

  // IUnknown (shared by the three interfaces)
  HRESULT QueryInterface(const GUID& iid, void** object) override;
  uint32_t AddRef() override { return refs_.add(); }
  uint32_t Release() override;

  // IGlimmerObj
  HRESULT Load(BSTR FileName) override;
  HRESULT StartAnim() override;
  HRESULT StopAnim() override;
  HRESULT ShowToolbar(long _Visible) override;

  // IPersistStreamInit
  HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  HRESULT Load(IByteStream* stream) override;
  HRESULT Save(IByteStream* stream, bool clearDirty) override;
  HRESULT GetSizeMax(uint64_t* size) override;
  HRESULT InitNew() override { return S_OK; }

  // IGlimmerInPlace
  HRESULT SetSite(IGlimmerSite* site) override;
  HRESULT InPlaceActivate(int x, int y, int width, int height) override;
  HRESULT SetRect(int x, int y, int width, int height) override;
  HRESULT InPlaceDeactivate() override;
  unsigned long Window() override { return surface_.window(); }
  HRESULT DispatchPending(int* nextTimerMs) override;
  HRESULT ToolsCommand(int controlId) override;

  // Called by the process's event loop.
  void handleEvent(const XEvent& event);
  void onTimer(int id);
  void paintIfNeeded();

  // Document sources.
  bool SetFile(const char* name);
  bool LoadURL(const std::string& temporaryName, const std::string& url);
  std::optional<std::string> BrowseForKvxFile();

  void showAbout();
  void reportFailure(const char* caption, const std::string& text, MessageIcon icon = MessageIcon::Error);
  void invalidate() { needsPaint_ = true; }
  bool isActive() const;
  // Folder of the control's module (registered "ExeModule"), holding
  // "but.sys", "tamo.sys", the tool bitmaps and the core's "plugins".
  std::string moduleFolder() const;

  // State visible to tests.
  const std::string& currentDocument() const { return current_; }
  const std::optional<std::string>& pendingDocument() const { return pending_; }
  bool downloading() const { return download_.downloading; }
  bool animating() const { return animating_; }
  bool interpolating() const { return interpolating_; }
  bool engineInitialised() const { return engineReady_; }
  int width() const { return width_; }
  int height() const { return height_; }
  const kvx_ManipInfo& manip() const { return manip_; }
  kvx_GL_Plugin* sdk() const { return sdk_; }
  IGlimmerSite* site() const { return site_; }
  std::string downloadCaption() const;

 private:
  ~CGlimmerObj();

  // Window messages.
  void OnSize(int width, int height);
  void OnKeyDown(const XKeyEvent& key);
  void OnLButtonDown(int x, int y);
  void OnRButtonDown(int x, int y);
  void OnButtonUp();
  void OnMouseMove(const XMotionEvent& motion);
  void OnDownloadTimer();
  void OnDraw();

  // Drawing.
  bool kvx_Render();
  void InitKVXEngine();
  void drawOverlayButton();
  void drawFallback();
  void drawDownloadCaption();

  void SetCurrentActiveX();
  void startDrag(int x, int y);
  void setTimer(int id, int intervalMs);
  void killTimer(int id);
  void setDirty();

  RefCount refs_;
  IGlimmerSite* site_ = nullptr;
  GlSurface surface_;
  CoreBinding core_;
  kvx_GL_Plugin* sdk_ = nullptr;
  bool engineReady_ = false;
  std::string lastInitFailure_;
  kvx_SystemInfo systemInfo_{};
  kvx_ManipInfo manip_{};
  std::optional<OverlayImage> overlay_;
  unsigned int overlayTexture_ = 0;
  int width_ = 0, height_ = 0;
  bool needsPaint_ = false;
  bool dragActive_ = false;
  int dragX_ = 0, dragY_ = 0;
  bool animating_ = false;
  bool interpolating_ = false;
  bool overHand_ = false;
  std::string current_;
  std::optional<std::string> pending_;
  bool toolsWindowFlag_ = true;
  bool dirty_ = false;
  DownloadState download_;
  UrlDownload downloadThread_;
  std::string downloadedName_;
  std::u16string streamTag_ = u"KAVRIK";
};

}  // namespace glimmer
