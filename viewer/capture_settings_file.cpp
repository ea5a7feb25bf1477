#include "capture_settings_file.h"

#include "services/file_content.h"

#include <cstdlib>
#include <sstream>

namespace kavrik {
namespace {

constexpr int kFixedFields = 11;

// The lines of a text, without their line ends.
std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// Out-of-range modes mean what the command file makes of them.
int toggleModeOf(const std::string& field) {
  const int mode = std::atoi(field.c_str());
  return mode == TOGGLE_ON_CLEAR || mode == TOGGLE_ON_FLUSH ? mode : TOGGLE_NONE;
}

int matrixModeOf(const std::string& field) {
  const int mode = std::atoi(field.c_str());
  return mode == MATRIX_1 || mode == MATRIX_2 ? mode : MATRIX_NEITHER;
}

const char* boolText(bool value) { return value ? "true" : "false"; }

std::string nameOfLine(const std::string& line) { return line.substr(0, line.find('|')); }

}  // namespace

std::optional<CaptureSetting> parseSettingLine(const std::string& line) {
  if (line.empty()) return std::nullopt;
  CaptureSetting setting;
  // Empty fields count: a new custom entry has no window name or units.
  size_t start = 0;
  for (int field = 1; field <= kFixedFields && start <= line.size(); ++field) {
    size_t end = line.find('|', start);
    if (end == std::string::npos) end = line.size();
    const std::string value = line.substr(start, end - start);
    start = end + 1;
    bool* const flags[] = {&setting.noWireframe, &setting.linesAsSolid, &setting.noTexture,
                           &setting.optimise, &setting.recomputeNormals, &setting.continuousCapture};
    switch (field) {
      case 1: setting.name = value; break;
      case 2: setting.windowName = value; break;
      case 3: setting.units = value; break;
      case 4: setting.toggleMode = toggleModeOf(value); break;
      case 5: setting.matrixMode = matrixModeOf(value); break;
      default: *flags[field - 6] = value == "true"; break;
    }
  }
  if (start < line.size()) {
    setting.specialKeywords = line.substr(start);
    if (setting.specialKeywords.back() == '|') setting.specialKeywords.pop_back();
  }
  return setting;
}

std::string settingLine(const CaptureSetting& s) {
  std::string line = s.name + "|" + s.windowName + "|" + s.units + "|" + std::to_string(s.toggleMode) + "|" +
                     std::to_string(s.matrixMode) + "|";
  for (bool flag : {s.noWireframe, s.linesAsSolid, s.noTexture, s.optimise, s.recomputeNormals,
                    s.continuousCapture})
    line += std::string(boolText(flag)) + "|";
  if (!s.specialKeywords.empty()) line += s.specialKeywords + "|";
  return line;
}

std::vector<CaptureSetting> readSettingsFile(const std::string& path) {
  std::vector<CaptureSetting> settings;
  for (const std::string& line : splitLines(kvx::readFileContent(path).value_or("")))
    if (auto setting = parseSettingLine(line)) settings.push_back(*setting);
  return settings;
}

CaptureSetting findSetting(const std::string& path, const std::string& name) {
  for (const CaptureSetting& setting : readSettingsFile(path))
    if (setting.name == name) return setting;
  CaptureSetting defaults;
  defaults.name = name;
  return defaults;
}

bool storeSetting(const std::string& path, const CaptureSetting& setting) {
  std::string content;
  bool replaced = false;
  for (const std::string& line : splitLines(kvx::readFileContent(path).value_or(""))) {
    if (line.empty()) continue;
    if (nameOfLine(line) != setting.name) {
      content += line + "\n";
    } else if (!replaced) {
      content += settingLine(setting) + "\n";
      replaced = true;
    }
  }
  if (!replaced) content += settingLine(setting) + "\n";
  return kvx::replaceFileContent(path, content);
}

}  // namespace kavrik
