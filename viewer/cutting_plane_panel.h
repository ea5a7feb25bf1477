#pragma once
// The cutting-plane panel: chooses the axis, moves the plane along it,
// inverts or hides it, and shows where it stands.
#include "cut_plane_rules.h"
#include "tool_panel.h"

#include <array>

class wxButton;
class wxCheckBox;
class wxRadioButton;
class wxSlider;
class wxStaticText;
class wxTextCtrl;

namespace kavrik {

class CuttingPlanePanel : public ToolPanel {
 public:
  // Control identifiers.
  enum { ID_AXIS = 100, ID_INVERT = 101, ID_SLIDER = 103, ID_HIDE = 104, ID_NEW = 105, ID_APPLY = 106 };

  CuttingPlanePanel(ViewPanel* view, kvx_GL_Plugin* sdk);
  void refreshContents() override;

  // What the controls do, also reached by tests.
  void chooseAxis(int choice);
  void setInverted(bool inverted);
  void moveSlider(int value);
  void setHidden(bool hidden);
  void applyNewPosition();

  // The selected axis choice, and the choice's button.
  int axisChoice() const;
  wxRadioButton* axisButton(int choice) const { return axis_[choice]; }
  wxSlider* slider() const { return slider_; }
  wxStaticText* currentLabel() const { return current_; }
  wxTextCtrl* newField() const { return new_; }
  wxButton* applyButton() const { return apply_; }
  wxCheckBox* invertBox() const { return invert_; }
  wxCheckBox* hideBox() const { return hide_; }

 private:
  void readRange();

  std::array<wxRadioButton*, kAxisChoices> axis_;
  wxSlider* slider_;
  wxStaticText* current_;
  wxTextCtrl* new_;
  wxButton* apply_;
  wxCheckBox* invert_;
  wxCheckBox* hide_;

  kvx_CutPlane plane_{static_cast<kvx_CutPlane::CurrentPlan>(-1), false, 0.5f, false};
  CutRange range_;
  float fraction_ = 0.5f;
  bool updating_ = false;  // set while an axis change refreshes the panel
};

}  // namespace kavrik
