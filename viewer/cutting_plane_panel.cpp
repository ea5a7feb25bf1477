#include "cutting_plane_panel.h"

#include "command_ids.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>

namespace kavrik {

namespace {

// The panel's groups are headed by bold titles: framed boxes would not leave
// room for the controls in the narrow strip.
wxStaticText* addHeading(wxWindow* panel, wxSizer* column, const char* title) {
  auto* heading = new wxStaticText(panel, wxID_ANY, title);
  heading->SetFont(heading->GetFont().Bold());
  heading->Wrap(kToolPanelWidth - 12);
  column->Add(heading, 0, wxLEFT | wxRIGHT | wxTOP, 6);
  return heading;
}

}  // namespace

CuttingPlanePanel::CuttingPlanePanel(ViewPanel* view, kvx_GL_Plugin* sdk) : ToolPanel(view, CMD_CUTTING_PLANE, sdk) {
  auto* column = new wxBoxSizer(wxVERTICAL);
  constexpr int kIndent = 10;

  addHeading(this, column, "Cutting Plane Axis");
  for (int i = 0; i < kAxisChoices; ++i) {
    axis_[i] = new wxRadioButton(this, ID_AXIS, axisChoiceLabel(i), wxDefaultPosition, wxDefaultSize,
                                 i == 0 ? wxRB_GROUP : 0);
    column->Add(axis_[i], 0, wxLEFT, kIndent / 2);
    axis_[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { chooseAxis(i); });
  }

  addHeading(this, column, "Cutting Plane Position");
  slider_ = new wxSlider(this, ID_SLIDER, 50, 0, 100);
  column->Add(slider_, 0, wxEXPAND | wxLEFT | wxRIGHT, 2);
  auto* grid = new wxFlexGridSizer(2, 2, 4, 6);
  grid->AddGrowableCol(1);
  grid->Add(new wxStaticText(this, wxID_ANY, "Current:"), 0, wxALIGN_CENTRE_VERTICAL);
  current_ = new wxStaticText(this, wxID_ANY, "0.00");
  grid->Add(current_, 0, wxALIGN_CENTRE_VERTICAL);
  grid->Add(new wxStaticText(this, wxID_ANY, "New:"), 0, wxALIGN_CENTRE_VERTICAL);
  new_ = new wxTextCtrl(this, ID_NEW, "", wxDefaultPosition, wxSize(40, -1), wxTE_PROCESS_ENTER);
  grid->Add(new_, 1, wxEXPAND);
  column->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, kIndent);
  apply_ = new wxButton(this, ID_APPLY, "Apply New Position");
  column->Add(apply_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 6);

  addHeading(this, column, "Cutting Plane Display");
  invert_ = new wxCheckBox(this, ID_INVERT, "Invert Cutting Plane");
  hide_ = new wxCheckBox(this, ID_HIDE, "Hide Cutting Plane");
  column->Add(invert_, 0, wxLEFT | wxTOP, kIndent / 2);
  column->Add(hide_, 0, wxLEFT | wxTOP, kIndent / 2);
  SetSizer(column);

  // The panel's events end here: none of them is a frame command.
  invert_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) { setInverted(e.IsChecked()); });
  hide_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& e) { setHidden(e.IsChecked()); });
  slider_->Bind(wxEVT_SLIDER, [this](wxCommandEvent& e) { moveSlider(e.GetInt()); });
  apply_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { applyNewPosition(); });
  new_->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { applyNewPosition(); });
}

int CuttingPlanePanel::axisChoice() const {
  for (int i = 0; i < kAxisChoices; ++i)
    if (axis_[i]->GetValue()) return i;
  return 0;
}

void CuttingPlanePanel::readRange() {
  range_ = {};
  if (sdk() && !sdk()->GetCutPlaneRange(&range_.minimum, &range_.maximum)) range_ = {};
}

void CuttingPlanePanel::chooseAxis(int choice) {
  plane_.plan = planForChoice(choice);
  if (sdk()) sdk()->SetCutPlane(plane_.plan);
  readRange();
  updating_ = true;
  refreshContents();
  updating_ = false;
  renderCanvas();
}

void CuttingPlanePanel::setInverted(bool inverted) {
  plane_.inverted = inverted;
  if (sdk()) sdk()->SetCutPlaneOrient(inverted);
  refreshContents();
  renderCanvas();
}

void CuttingPlanePanel::moveSlider(int value) {
  fraction_ = value * 0.01f;
  current_->SetLabel(coordinateText(range_.at(fraction_)));
  if (sdk()) sdk()->SetCutPlanePos(fraction_);
  renderCanvas();
}

void CuttingPlanePanel::setHidden(bool hidden) {
  plane_.transparent = hidden;
  if (sdk()) sdk()->SetCutPlaneTransp(hidden);
  renderCanvas();
}

void CuttingPlanePanel::applyNewPosition() {
  const float value = range_.clamp(parseCoordinate(new_->GetValue().utf8_string()));
  const float fraction = range_.fractionOf(value);
  slider_->SetValue(sliderPosition(fraction, fraction_));
  current_->SetLabel(coordinateText(value));
  new_->ChangeValue("");
  fraction_ = fraction;
  if (sdk()) sdk()->SetCutPlanePos(fraction_);
  renderCanvas();
}

void CuttingPlanePanel::refreshContents() {
  // The plane may have moved without the panel (a panel opened again, a
  // conference master): show where it stands.
  if (sdk() && sdk()->GetCutPlaneData(&plane_) && plane_.position >= 0 && plane_.position <= 1)
    fraction_ = plane_.position;
  readRange();
  const bool cutting = plane_.plan != -1;
  for (wxWindow* control : {static_cast<wxWindow*>(slider_), static_cast<wxWindow*>(new_),
                            static_cast<wxWindow*>(apply_), static_cast<wxWindow*>(invert_),
                            static_cast<wxWindow*>(hide_)})
    control->Enable(cutting);
  if (!updating_) axis_[choiceForPlan(plane_.plan)]->SetValue(true);
  invert_->SetValue(plane_.inverted);
  hide_->SetValue(plane_.transparent);
  new_->ChangeValue("");
  current_->SetLabel(coordinateText(range_.at(fraction_)));
  slider_->SetValue(static_cast<int>(std::lround(fraction_ * 100)));
}

}  // namespace kavrik
