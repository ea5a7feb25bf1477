#pragma once
// MyFrame: the one top-level window. It owns the SDK object, the view, the
// menus, tool bar and status bar, the two timers and the hooks, and turns
// every command number into one frame action.
#include "frame_hooks.h"
#include "kvx_sdk.h"
#include "plugin_loader.h"
#include "prompts.h"

#include <wx/frame.h>
#include <wx/timer.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class wxButton;
class wxGauge;
class wxMenu;
class wxDialog;
class wxStaticText;

namespace kavrik {

class ViewPanel;
class ViewerCanvas;

// Produces the SDK object; the program's source loads kvx_core through the
// loader, tests hand in a stand-in.
using CoreSource = std::function<kvx_GL_Plugin*(SdkPluginLoader& loader)>;
kvx_GL_Plugin* loadCoreLibrary(SdkPluginLoader& loader);

class MyFrame : public wxFrame {
 public:
  // `readAtOnce`: a file whose read starts as soon as the core is loaded,
  // while the window is built (see startReading).
  MyFrame(wxWindow* parent, const wxString& title, const wxPoint& position, const wxSize& size,
          const CoreSource& core = loadCoreLibrary, const std::string& readAtOnce = "");
  ~MyFrame() override;

  // The command dispatcher: menus, tools and keys all end here.
  void dispatch(int command);

  // Loads a file (never merged); true when it was loaded.
  bool loadFile(const std::string& name);
  // Starts reading `name` on a worker thread at once, before the window is
  // up; the loadFile of the same name that follows takes the read over.
  void startReading(const std::string& name);
  // A file dropped on the window: loaded as from File > Open.
  bool openDroppedFile(const std::string& name);
  void closeFile();

  void SetCurseur(int cursor);
  void restoreCursor();
  void setStatusText(const std::string& text);
  // Field 0 at start and after a close: the program and its version.
  static std::string readyText();
  void updateTitle();
  // Tool states, check marks and cursor from the frame's state.
  void updateState();
  void setMenuState(bool fileLoaded);
  void rebuildCameraMenu();
  void rebuildRecentMenu();
  // Hook 0, then a frame from the core unless busy or animating.
  void render();
  void refreshToolPanel();
  // Opens this tool panel in place of any other; closes the open one.
  void showToolPanel(int command);
  void closeToolPanel();
  // "Online &Collaboration...": the one conference window, made on first use.
  void openConference();
  void destroyConference();
  wxFrame* conferenceWindow() const { return conference_; }

  kvx_GL_Plugin* sdk() const { return sdk_; }
  ViewerCanvas* canvas() const { return canvas_; }
  ViewPanel* viewPanel() const { return panel_; }
  FrameHooks& hooks() { return *hooks_; }
  Prompts& prompts() { return *prompts_; }
  void setPrompts(std::unique_ptr<Prompts> prompts) { prompts_ = std::move(prompts); }

  int mouseMode() const { return mouseMode_; }
  int openToolPanel() const { return openPanel_; }
  int lastView() const { return lastView_; }
  void setLastView(int view) { lastView_ = view; }
  bool isBusy() const { return busy_; }
  bool isAnimating() const { return animating_; }
  bool takeSkipNextPointer();
  bool skipNextPointer() const { return skipNextPointer_; }
  const std::string& currentFile() const { return currentFile_; }
  int fileSize() const { return fileSize_; }
  int cursor() const { return cursor_; }
  const wxString& titleText() const { return title_; }
  wxMenu* cameraMenu() const { return cameraMenu_; }
  wxMenu* recentMenu() const { return recentMenu_; }
  wxGauge* progressGauge() const { return gauge_; }
  wxButton* cancelButton() const { return cancelButton_; }
  // True while a file is read in the background.
  bool isLoading() const { return static_cast<bool>(reading_); }
  // Stops the background read; the shown scene stays.
  void cancelLoad();

  // Progress of the running load: 0..1, a negative value ends it.
  void showProgress(float value);

 private:
  void buildMenus();
  void buildToolBar();
  void createView();
  void loadRemotePointer();
  void onCommandEvent(wxCommandEvent& event);
  void onClose(wxCloseEvent& event);

  void openFileFlow();
  void openRecentFile(size_t index);
  void saveAsFlow();
  bool saveScene(const std::string& path);
  bool exportModel(const std::string& path);
  void exportPictureFlow();
  bool confirmCut(int command);
  bool askReadPassword();
  void finishLoad(const std::string& name);
  void failLoad(const std::string& name, const std::string& reason);
  struct BackgroundRead;
  // Reads a file on a worker thread while the window goes on (gauge, Cancel
  // button, repaints); *prepared is set on success.
  int readInBackground(const std::string& name, const char* passPhrase, kvx_PreparedScene** prepared,
                       std::string& error);
  std::shared_ptr<BackgroundRead> beginRead(const std::string& name, const char* passPhrase);
  void showCancelButton(bool shown);
  wxWindow* loadOverlay();
  void dropLoadOverlayIfEmpty();
  void showFileProperties();
  void applyDisplayPreferences();
  void saveDisplayPreferences();
  void exitProgram();

  void setMouseMode(int mode);
  void leaveMeasurement();
  void closeMeasurementIfEmpty();
  void togglePanel(int command);
  void closePanel();
  void toggleAnimation();
  void startAnimation();
  void stopAnimation();
  void onAnimationTick(wxTimerEvent& event);
  void onSyncTick(wxTimerEvent& event);
  // The Capture menu and the look for a capture result (frame_capture.cpp).
  void captureCommand(int command);
  void loadCaptureIfReady();

  kvx_GL_Plugin* sdk_ = nullptr;
  std::unique_ptr<SdkPluginLoader> loader_;
  std::unique_ptr<Prompts> prompts_;
  ViewPanel* panel_ = nullptr;
  ViewerCanvas* canvas_ = nullptr;
  int mouseMode_;
  int savedMouseMode_;
  bool escapeState_ = true;
  int openPanel_ = -1;
  int lastView_ = 0;
  std::string currentFile_;
  int fileSize_ = 0;
  bool busy_ = false;
  bool skipNextPointer_ = false;
  bool animating_ = false;
  bool captureEnabled_ = false;
  int cursor_ = 0;
  int previousCursor_ = 0;
  wxString title_;
  wxMenu* cameraMenu_ = nullptr;
  wxMenu* viewMenu_ = nullptr;
  wxMenu* recentMenu_ = nullptr;
  std::unique_ptr<wxTimer> animationTimer_;
  std::unique_ptr<wxTimer> syncTimer_;
  std::unique_ptr<FrameHooks> hooks_;
  wxDialog* properties_ = nullptr;
  wxStaticText* propertiesText_ = nullptr;
  // The gauge and Cancel float in a borderless window of their own: as
  // plain children of the frame they would sit under the GL canvas.
  wxWindow* loadOverlay_ = nullptr;
  wxGauge* gauge_ = nullptr;
  wxButton* cancelButton_ = nullptr;
  std::shared_ptr<BackgroundRead> reading_;
  std::shared_ptr<BackgroundRead> earlyRead_;
  std::vector<kvx_ARGB> remotePointer_;
  std::map<int, wxCursor> cursors_;
  wxFrame* conference_ = nullptr;
};

}  // namespace kavrik
