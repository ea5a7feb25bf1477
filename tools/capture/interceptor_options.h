#pragma once
// The options of one capture: the per-application line of the settings
// files for this program, with the keywords of the command file on top.
#include "services/capture_options.h"

#include <array>
#include <string>

namespace kvx::capture {

using OptionSet = std::array<bool, kCaptureOptionCount>;

// `filesFolder` ends with "/"; `program` is the executable's file name.
OptionSet loadInterceptorOptions(const std::string& filesFolder, const std::string& program);

// The options a settings line turns on (fields as the settings dialog writes them).
OptionSet optionsOfSettingsLine(const std::string& line);
// Applies the command file: a keyword present turns its option on, its
// disabled form (a dot after the first letter) turns it off, others stay.
void applyCommandFile(OptionSet& options, const std::string& content);

}  // namespace kvx::capture
