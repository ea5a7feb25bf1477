#pragma once
// The commands that draw off-screen (render, capture, conference) run in
// kvx-draw, the one program linked with the off-screen GL library; kvx
// hands them on to it, so that every other command starts without loading
// that library (tens of MiB mapped and a tenth of a second).
#include "command.h"

#include <string>
#include <vector>

namespace kvx::tool {

inline constexpr const char* kDrawingProgram = "kvx-draw";

// The drawing command NAME with RUN as what it does.
Command drawingCommand(const char* name, int (*run)(const std::vector<std::string>&));

}  // namespace kvx::tool
