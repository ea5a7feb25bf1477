#include "frame.h"

#include "about_box.h"
#include "canvas.h"
#include "command_ids.h"
#include "file_drop.h"
#include "program_paths.h"
#include "services/debuglog.h"
#include "view_panel.h"

#include <wx/icon.h>
#include <wx/image.h>
#include <wx/statusbr.h>

namespace kavrik {
namespace {

constexpr int kSyncPeriodMs = 333;

}  // namespace

kvx_GL_Plugin* loadCoreLibrary(SdkPluginLoader& loader) { return loader.LoadPlugin("kvx_core"); }

MyFrame::MyFrame(wxWindow* parent, const wxString& title, const wxPoint& position, const wxSize& size,
                 const CoreSource& core, const std::string& readAtOnce)
    : wxFrame(parent, wxID_ANY, title, position, size, wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN),
      loader_(std::make_unique<SdkPluginLoader>()),
      prompts_(makeDialogPrompts()),
      mouseMode_(CMD_ROTATE),
      savedMouseMode_(CMD_ROTATE),
      animationTimer_(std::make_unique<wxTimer>(this)),
      hooks_(std::make_unique<FrameHooks>()) {
  sdk_ = core(*loader_);
  startReading(readAtOnce);
  if (sdk_) {
    const std::string folder = captureApplicationFolder();
    if (!folder.empty()) sdk_->LoadDiffScene((folder + "diff.kvx").c_str());
  }
  const std::string resources = resourceFolder(programPaths().installDir);
  wxIcon icon;
  if (wxFileExists(wxString::FromUTF8(resources + "AA_ICON_KAVRIK.png")) &&
      icon.LoadFile(wxString::FromUTF8(resources + "AA_ICON_KAVRIK.png"), wxBITMAP_TYPE_PNG))
    SetIcon(icon);

  buildMenus();
  rebuildRecentMenu();
  setMenuState(false);
  buildToolBar();
  CreateStatusBar(2);
  setStatusText(readyText());
  createView();

  Bind(wxEVT_MENU, &MyFrame::onCommandEvent, this);
  Bind(wxEVT_CLOSE_WINDOW, &MyFrame::onClose, this);
  Bind(wxEVT_TIMER, &MyFrame::onAnimationTick, this, animationTimer_->GetId());
  syncTimer_ = std::make_unique<wxTimer>(this);
  Bind(wxEVT_TIMER, &MyFrame::onSyncTick, this, syncTimer_->GetId());
  syncTimer_->Start(kSyncPeriodMs);

  loadRemotePointer();
  updateState();
}

MyFrame::~MyFrame() {
  // A read nobody took over ends before the core goes.
  earlyRead_.reset();
  // Its panel still talks to the SDK object while it leaves the conference.
  destroyConference();
  syncTimer_.reset();
  animationTimer_.reset();
  if (sdk_) {
    // The core may free its display lists: give it its context.
    if (canvas_) canvas_->makeCurrent();
    delete static_cast<kvx_BaseSDK*>(sdk_);
    sdk_ = nullptr;
  }
  loader_.reset();
  hooks_.reset();
  if (canvas_) delete canvas_;
  canvas_ = nullptr;
  if (panel_) delete panel_;
  panel_ = nullptr;
}

void MyFrame::createView() {
  panel_ = new ViewPanel(this);
  canvas_ = new ViewerCanvas(panel_, panel_->GetClientSize());
  panel_->setCanvas(canvas_);
  panel_->layoutChildren();
  canvas_->setFrame(this);
  // Files dragged from a file manager open as from File > Open.
  canvas_->SetDropTarget(new FileDropTarget(this));
  panel_->Show();
  canvas_->SetFocus();
  updateTitle();
}

// The pointer a remote user's position is drawn with: BGRA rows, top row
// first, transparent wherever the image has its top-right pixel's colour.
void MyFrame::loadRemotePointer() {
  const wxString file = wxString::FromUTF8(resourceFolder(programPaths().installDir) + "cur_remote.bmp");
  if (!sdk_ || !wxFileExists(file)) return;
  wxImage image;
  if (!image.LoadFile(file, wxBITMAP_TYPE_ANY) || !image.IsOk()) return;
  const int width = image.GetWidth(), height = image.GetHeight();
  const unsigned char* rgb = image.GetData();
  const unsigned char* key = rgb + 3 * (width - 1);
  remotePointer_.resize(static_cast<size_t>(width) * height);
  for (int i = 0; i < width * height; ++i) {
    const unsigned char* p = rgb + 3 * i;
    const bool clear = p[0] == key[0] && p[1] == key[1] && p[2] == key[2];
    remotePointer_[i] = {p[2], p[1], p[0], static_cast<uint8_t>(clear ? 0 : 255)};
  }
  sdk_->SetCursor(remotePointer_.data(), width, height);
}

void MyFrame::onCommandEvent(wxCommandEvent& event) { dispatch(event.GetId()); }

void MyFrame::onClose(wxCloseEvent& event) {
  // A background read holds the core: it stops first, the user closes again.
  if (reading_ && event.CanVeto()) {
    cancelLoad();
    event.Veto();
    return;
  }
  // When the exit hook takes over, the window stays unless it must go.
  if (hooks_->isSet(FrameHooks::EXIT) && event.CanVeto()) {
    event.Veto();
    dispatch(CMD_EXIT);
    return;
  }
  if (hooks_->isSet(FrameHooks::EXIT)) hooks_->clear();
  dispatch(CMD_EXIT);
}

void MyFrame::onSyncTick(wxTimerEvent&) {
  if (canvas_) hooks_->call(FrameHooks::VIEW_CHANGED);
  loadCaptureIfReady();
}

void MyFrame::render() {
  if (canvas_) canvas_->requestRender();
}

bool MyFrame::takeSkipNextPointer() {
  bool skip = skipNextPointer_;
  skipNextPointer_ = false;
  return skip;
}

std::string MyFrame::readyText() { return std::string("Kavrik version ") + kProgramVersion; }

void MyFrame::setStatusText(const std::string& text) {
  if (GetStatusBar()) SetStatusText(wxString::FromUTF8(text), 0);
}

}  // namespace kavrik
