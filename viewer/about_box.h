#pragma once
// The About box: the program's picture with its version over it.
class wxWindow;

namespace kavrik {

inline constexpr const char* kApplicationName = "Kavrik";
inline constexpr const char* kProgramVersion = "1.4.6z";

// Shows the box modally, centred on `parent`; without the OK button when
// `withOkButton` is false (it then closes from its title bar).
void showAboutBox(wxWindow* parent, bool withOkButton);

}  // namespace kavrik
