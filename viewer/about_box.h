#pragma once
// The About box: the program's picture with its version over it.
#include "kvx_version.h"

#include <memory>

class wxDialog;
class wxWindow;

namespace kavrik {

inline constexpr const char* kApplicationName = "Kavrik";
inline constexpr const char* kProgramVersion = KAVRIK_PROGRAM_VERSION;

// Builds the box, centred on `parent`; without the OK button when
// `withOkButton` is false (it then closes from its title bar).
std::unique_ptr<wxDialog> createAboutBox(wxWindow* parent, bool withOkButton);
// Builds the box and shows it modally.
void showAboutBox(wxWindow* parent, bool withOkButton);

}  // namespace kavrik
