// Arbitrary bytes as a capture settings file and as an existing command
// file. Every setting read must survive being written back, and writing the
// command file must keep the user's own section as it stood.
#include "capture_command_file.h"
#include "capture_settings_file.h"
#include "fuzz_entries.h"
#include "fuzz_files.h"
#include "services/file_content.h"

#include <cstdlib>

namespace kvx::fuzz {

int capture_settings(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string settingsPath = inputFile(".settings", data, size);
  const std::string commandPath = inputFile(".command", data, size);
  if (settingsPath.empty() || commandPath.empty()) return 0;

  const std::vector<kavrik::CaptureSetting> settings = kavrik::readSettingsFile(settingsPath);
  constexpr size_t kChecked = 3;
  for (size_t i = 0; i < settings.size() && i < kChecked; ++i) {
    const kavrik::CaptureSetting& setting = settings[i];
    if (kavrik::parseSettingLine(kavrik::settingLine(setting)) != setting) std::abort();
    if (!kavrik::storeSetting(settingsPath, setting)) continue;
    if (kavrik::findSetting(settingsPath, setting.name) != setting) std::abort();
  }

  const kavrik::CaptureSetting setting = settings.empty() ? kavrik::CaptureSetting{} : settings.front();
  if (kavrik::writeCommandFile(commandPath, setting) &&
      kavrik::keptSection(readFileContent(commandPath).value_or("")) != kavrik::keptSection(input))
    std::abort();
  return 0;
}

}  // namespace kvx::fuzz
