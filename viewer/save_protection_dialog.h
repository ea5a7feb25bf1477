#pragma once
// The dialog of Save As for a scene file: pass phrase and key length that
// encipher it, and the read and write passwords stored in it.
#include "prompts.h"

namespace kavrik {

std::optional<Prompts::SaveProtection> askProtection(wxWindow* parent);

}  // namespace kavrik
