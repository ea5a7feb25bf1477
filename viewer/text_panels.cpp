#include "text_panels.h"

#include "command_ids.h"
#include "panel_texts.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace kavrik {

AnnotationsPanel::AnnotationsPanel(ViewPanel* view, kvx_GL_Plugin* sdk) : ToolPanel(view, CMD_ANNOTATIONS, sdk) {
  const wxSize size = GetClientSize();
  heading_ = new wxStaticText(this, wxID_ANY, "", wxPoint(10, 5), wxSize(size.x - 20, 40));
  text_ = new wxTextCtrl(this, wxID_ANY, "", wxPoint(10, 50), wxSize(size.x - 20, std::max(size.y - 80, 1)),
                         wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
  Bind(wxEVT_SIZE, &AnnotationsPanel::onSize, this);
}

void AnnotationsPanel::onSize(wxSizeEvent& event) {
  event.Skip();
  const wxSize size = GetClientSize();
  heading_->SetSize(5, 5, size.x - 20, 40);
  text_->SetSize(5, 60, size.x - 10, std::max(size.y - 70, 1));
}

void AnnotationsPanel::refreshContents() {
  char* annotation = nullptr;
  char* name = nullptr;
  if (sdk()) {
    if (!sdk()->GetCurrentCameraField(0, &annotation)) annotation = nullptr;
    if (!sdk()->GetCameraName(0, &name)) name = nullptr;
  }
  heading_->SetLabel(wxString::FromUTF8(annotationHeading(name)));
  text_->ChangeValue(wxString::FromUTF8(annotation ? annotation : ""));
}

ScenePropertiesPanel::ScenePropertiesPanel(ViewPanel* view, kvx_GL_Plugin* sdk)
    : ToolPanel(view, CMD_SCENE_PROPERTIES, sdk) {
  text_ = new wxStaticText(this, wxID_ANY, "", wxPoint(5, 2));
}

void ScenePropertiesPanel::refreshContents() {
  kvx_SceneInfo info{};
  if (sdk()) sdk()->GetSceneInfo(&info);
  text_->SetLabel(wxString::FromUTF8(scenePropertiesText(info)));
}

MeasurementPanel::MeasurementPanel(ViewPanel* view, kvx_GL_Plugin* sdk) : ToolPanel(view, CMD_MEASUREMENT, sdk) {
  const wxSize size = GetClientSize();
  text_ = new wxStaticText(this, wxID_ANY, "", wxPoint(10, 10), wxSize(size.x - 20, std::max(size.y - 20, 1)));
}

void MeasurementPanel::refreshContents() {
  kvx_Measure measure{};
  if (sdk()) sdk()->GetMeasureData(&measure);
  text_->SetLabel(measurementText(measure));
}

}  // namespace kavrik
