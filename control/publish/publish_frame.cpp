#include "publish_frame.h"

#include "byte_buffer_stream.h"
#include "menu_shortcuts.h"
#include "native_window.h"
#include "publish_document.h"
#include "site_dialogs.h"

#include "services/file_content.h"

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include <iostream>

namespace publish {
namespace {

std::u16string toBstr(const std::string& utf8) {
  std::u16string out;
  const std::wstring wide = wxString::FromUTF8(utf8).ToStdWstring();
  for (wchar_t c : wide) {
    const auto code = static_cast<char32_t>(c);
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

}  // namespace

// One control and the site it talks to.
class ControlCell : public glimmer::IGlimmerSite {
 public:
  ControlCell(wxFrame* frame, glimmer::IGlimmerObj* control, const ControlModule& module)
      : frame_(frame), host_(new wxWindow(frame, wxID_ANY)), obj_(control), module_(module) {
    host_->SetMinSize(wxSize(160, 120));
    obj_->QueryInterface(glimmer::IID_IGlimmerInPlace, reinterpret_cast<void**>(&inPlace_));
    obj_->QueryInterface(glimmer::IID_IPersistStreamInit, reinterpret_cast<void**>(&persist_));
    inPlace_->SetSite(this);
    host_->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
      if (active_) inPlace_->SetRect(0, 0, e.GetSize().x, e.GetSize().y);
      e.Skip();
    });
  }
  ~ControlCell() {
    inPlace_->InPlaceDeactivate();
    persist_->Release();
    inPlace_->Release();
    obj_->Release();
  }

  wxWindow* host() const { return host_; }
  glimmer::IGlimmerObj* object() const { return obj_; }
  glimmer::IGlimmerInPlace* inPlace() const { return inPlace_; }
  glimmer::IPersistStreamInit* persist() const { return persist_; }

  void activate() {
    const wxSize size = host_->GetClientSize();
    active_ = inPlace_->InPlaceActivate(0, 0, size.x, size.y) == glimmer::S_OK;
  }

  // IGlimmerSite
  unsigned long ParentWindow() override { return nativeWindowOf(host_); }
  void ShowMessage(const char* caption, const char* text, glimmer::MessageIcon icon) override {
    const long style = icon == glimmer::MessageIcon::Error         ? wxICON_ERROR
                       : icon == glimmer::MessageIcon::Exclamation ? wxICON_EXCLAMATION
                                                                   : wxICON_INFORMATION;
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK | style, host_);
  }
  bool BrowseForFile(const glimmer::OpenFileSpec& spec, char* name, int nameSize) override {
    wxFileDialog dialog(host_, spec.title, "", "", wxString::Format("%s|%s", spec.filterName, spec.pattern),
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK) return false;
    const std::string chosen = dialog.GetPath().utf8_string();
    if (chosen.size() + 1 > static_cast<size_t>(nameSize)) return false;
    std::copy(chosen.c_str(), chosen.c_str() + chosen.size() + 1, name);
    return true;
  }
  bool ToolsWindow(glimmer::ToolsAction action, const glimmer::ToolsWindowSpec& spec) override {
    const ControlModule* module = &module_;
    return ToolsWindowHost::act(action, spec, [module](int id) { module->toolsCommand(id); });
  }
  void AboutDialog(const glimmer::AboutSpec& spec) override { showAboutDialog(host_, spec); }
  void DataChanged() override {}
  bool TranslateAccelerator(unsigned long keysym, unsigned int modifiers) override {
    return queueMenuShortcut(*frame_, keysym, modifiers);
  }

 private:
  wxFrame* frame_;
  wxWindow* host_;
  glimmer::IGlimmerObj* obj_;
  const ControlModule& module_;
  glimmer::IGlimmerInPlace* inPlace_ = nullptr;
  glimmer::IPersistStreamInit* persist_ = nullptr;
  bool active_ = false;
};

PublishFrame::PublishFrame(ControlModule& module, const PublishArgs& args, const std::vector<std::string>& streams)
    : wxFrame(nullptr, wxID_ANY, "kavrik publish"), savePath_(args.saveDocument) {
  // A page without any document still holds one view (the default scene).
  std::vector<std::string> sources = args.sources;
  if (streams.empty() && sources.empty()) sources.emplace_back();
  const size_t count = streams.size() + sources.size();
  const int columns = args.columns ? args.columns : static_cast<int>(std::max<size_t>(count, 1));
  const int rows = args.columns ? args.rows : 1;
  auto* grid = new wxGridSizer(rows, columns, 4, 4);
  for (size_t i = 0; i < count; ++i) {
    glimmer::IGlimmerObj* control = module.create();
    if (!control) continue;
    auto cell = std::make_unique<ControlCell>(this, control, module);
    if (i < streams.size()) {
      ByteBufferStream stream(streams[i]);
      cell->persist()->Load(&stream);
    } else {
      if (const std::string& source = sources[i - streams.size()]; !source.empty())
        cell->object()->Load(toBstr(source).c_str());
    }
    grid->Add(cell->host(), 1, wxEXPAND);
    cells_.push_back(std::move(cell));
  }
  SetSizer(grid);
  SetClientSize(std::min(columns, 4) * 400, std::min(rows, 3) * 300);

  auto* file = new wxMenu;
  file->Append(wxID_SAVE, "&Save\tCtrl+S");
  file->Append(wxID_CLOSE, "&Close\tCtrl+W");
  auto* bar = new wxMenuBar;
  bar->Append(file, "&File");
  SetMenuBar(bar);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { saveDocument(); }, wxID_SAVE);
  Bind(wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_CLOSE);
  Bind(wxEVT_CLOSE_WINDOW, &PublishFrame::onClose, this);
  pumpTimer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { pump(); });
}

PublishFrame::~PublishFrame() = default;

void PublishFrame::activateControls() {
  for (auto& cell : cells_) cell->activate();
  pumpTimer_.Start(10);
}

void PublishFrame::pump() {
  if (!cells_.empty()) cells_.front()->inPlace()->DispatchPending(nullptr);
}

bool PublishFrame::saveDocument() {
  if (savePath_.empty()) return true;
  std::vector<std::string> streams;
  for (auto& cell : cells_) {
    ByteBufferStream stream;
    if (cell->persist()->Save(&stream, true) != glimmer::S_OK) return false;
    streams.push_back(stream.bytes());
  }
  if (kvx::replaceFileContent(savePath_, encodeDocument(streams))) return true;
  std::cerr << "kavrik-publish: cannot save " << savePath_ << '\n';
  exitCode_ = 1;
  return false;
}

void PublishFrame::onClose(wxCloseEvent& event) {
  pumpTimer_.Stop();
  saveDocument();
  cells_.clear();
  event.Skip();
}

}  // namespace publish
