#include "tool_panel.h"

#include "command_ids.h"
#include "panel_texts.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

namespace kavrik {
namespace {

const char* panelTitle(int command) {
  switch (command) {
    case CMD_ANNOTATIONS: return "Annotations";
    case CMD_CUTTING_PLANE: return "Cutting Plane";
    case CMD_SCENE_PROPERTIES: return "Scene Properties";
    case CMD_MEASUREMENT: return "Measurement";
    default: return "";
  }
}

}  // namespace

ToolPanel::ToolPanel(wxWindow* parent, int command, kvx_GL_Plugin* sdk)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(kToolPanelWidth, -1)), command_(command), sdk_(sdk) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  heading_ = new wxStaticText(this, wxID_ANY, panelTitle(command));
  heading_->SetFont(heading_->GetFont().Bold());
  text_ = new wxStaticText(this, wxID_ANY, "");
  sizer->Add(heading_, 0, wxALL, 5);
  sizer->Add(text_, 1, wxLEFT | wxRIGHT | wxEXPAND, 5);
  SetSizer(sizer);
  refreshContents();
}

std::string ToolPanel::currentText() const {
  if (!sdk_) return "";
  switch (command_) {
    case CMD_MEASUREMENT: {
      kvx_Measure measure{};
      sdk_->GetMeasureData(&measure);
      return measurementText(measure);
    }
    case CMD_SCENE_PROPERTIES: {
      kvx_SceneInfo info{};
      sdk_->GetSceneInfo(&info);
      return scenePropertiesText(info);
    }
    case CMD_ANNOTATIONS: {
      char* name = nullptr;
      char* annotation = nullptr;
      if (!sdk_->GetCameraName(0, &name)) name = nullptr;
      if (!sdk_->GetCurrentCameraField(0, &annotation)) annotation = nullptr;
      return annotationHeading(name) + "\n\n" + (annotation ? annotation : "");
    }
    default:
      return "";
  }
}

void ToolPanel::refreshContents() {
  text_->SetLabel(wxString::FromUTF8(currentText()));
  text_->Wrap(kToolPanelWidth - 10);
  Layout();
}

}  // namespace kavrik
