#pragma once
// The panels that only show texts: the current camera's annotation, the
// scene's properties and the last measurement.
#include "tool_panel.h"

class wxStaticText;
class wxTextCtrl;

namespace kavrik {

class AnnotationsPanel : public ToolPanel {
 public:
  AnnotationsPanel(ViewPanel* view, kvx_GL_Plugin* sdk);
  void refreshContents() override;

 private:
  void onSize(wxSizeEvent& event);

  wxStaticText* heading_;
  wxTextCtrl* text_;
};

class ScenePropertiesPanel : public ToolPanel {
 public:
  ScenePropertiesPanel(ViewPanel* view, kvx_GL_Plugin* sdk);
  void refreshContents() override;

 private:
  wxStaticText* text_;
};

class MeasurementPanel : public ToolPanel {
 public:
  MeasurementPanel(ViewPanel* view, kvx_GL_Plugin* sdk);
  void refreshContents() override;

 private:
  wxStaticText* text_;
};

}  // namespace kavrik
