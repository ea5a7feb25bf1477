#pragma once
// The capture settings of captured applications: one line per application
// in the predefined and custom settings files, fields ended by '|':
//   name|window|units|toggle|matrix|nowire|linessolid|notexture|optimise|normals|continuous|kw1|kw2|
#include <optional>
#include <string>
#include <vector>

namespace kavrik {

enum ToggleMode { TOGGLE_NONE = 0, TOGGLE_ON_CLEAR = 1, TOGGLE_ON_FLUSH = 2 };
enum MatrixMode { MATRIX_1 = 0, MATRIX_2 = 1, MATRIX_NEITHER = 2 };

struct CaptureSetting {
  std::string name;
  int toggleMode = TOGGLE_NONE;
  int matrixMode = MATRIX_2;
  bool noWireframe = false;
  bool linesAsSolid = false;
  bool noTexture = false;
  bool optimise = true;
  bool recomputeNormals = false;
  bool continuousCapture = false;
  std::string specialKeywords;  // separated by '|'
  std::string windowName = "No Window Name";
  std::string units = "mm";

  bool operator==(const CaptureSetting&) const = default;
};

// Keywords of a custom setting made from scratch.
inline constexpr const char* kNoSpecialKeywords = "NOSPECIAL";

// Reads one line; fields it lacks keep their defaults. Nothing for an empty line.
std::optional<CaptureSetting> parseSettingLine(const std::string& line);
// The line of a setting, without a line end.
std::string settingLine(const CaptureSetting& setting);

// Every setting of a file in file order; an unreadable file reads as empty.
std::vector<CaptureSetting> readSettingsFile(const std::string& path);
// The first setting of the file named `name`; the defaults (with that name)
// when there is none.
CaptureSetting findSetting(const std::string& path, const std::string& name);
// Rewrites the file with `setting` in place of the line of the same name,
// or appended when there is none; the other lines are kept as they stand.
bool storeSetting(const std::string& path, const CaptureSetting& setting);

}  // namespace kavrik
