#include "interceptor_options.h"

#include "services/file_content.h"

#include <sstream>
#include <vector>

namespace kvx::capture {
namespace {

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, '|')) fields.push_back(field);
  return fields;
}

size_t indexOf(std::string_view keyword) {
  const auto& keywords = captureOptionKeywords();
  for (size_t i = 0; i < keywords.size(); ++i)
    if (keywords[i] == keyword) return i;
  return keywords.size();
}

void turnOn(OptionSet& options, std::string_view keyword) {
  const size_t i = indexOf(keyword);
  if (i < options.size()) options[i] = true;
}

// The line of `program` in a settings file, or an empty text.
std::string settingsLineOf(const std::string& path, const std::string& program) {
  auto content = readFileContent(path);
  if (!content) return {};
  std::istringstream in(*content);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    const auto fields = fieldsOf(line);
    if (!fields.empty() && fields[0] == program) return line;
  }
  return {};
}

}  // namespace

OptionSet optionsOfSettingsLine(const std::string& line) {
  OptionSet options{};
  const auto f = fieldsOf(line);
  auto field = [&f](size_t i) { return i < f.size() ? f[i] : std::string(); };
  const std::string toggle = field(3), matrix = field(4);
  if (toggle == "1") turnOn(options, "TOGGLEONCLEAR");
  if (toggle == "2") turnOn(options, "TOGGLEONFLUSH");
  if (matrix == "0") turnOn(options, "MATRIX1");
  if (matrix == "1") turnOn(options, "MATRIX2");
  if (matrix == "2") turnOn(options, "DONTUSEMATRIX");
  if (field(5) == "true") turnOn(options, "NOWIREFRAME"), turnOn(options, "NOPOINTS");
  if (field(6) == "true") turnOn(options, "CAPTURELINEASSOLID");
  if (field(7) == "true") turnOn(options, "NOTEXTURE");
  if (field(8) == "false") turnOn(options, "NOOPTIM");
  if (field(9) == "true") turnOn(options, "RECOMPUTENORMALS");
  if (field(10) == "false" || field(10).empty()) turnOn(options, "NOCONTINUOUSCAPTURE");
  for (size_t i = 11; i < f.size(); ++i) turnOn(options, f[i]);
  return options;
}

void applyCommandFile(OptionSet& options, const std::string& content) {
  const auto& keywords = captureOptionKeywords();
  for (size_t i = 0; i < keywords.size(); ++i) {
    const std::string keyword(keywords[i]);
    const std::string disabled = keyword.substr(0, 1) + "." + keyword.substr(1);
    if (content.find(keyword) != std::string::npos)
      options[i] = true;
    else if (content.find(disabled) != std::string::npos)
      options[i] = false;
  }
}

OptionSet loadInterceptorOptions(const std::string& filesFolder, const std::string& program) {
  std::string line = settingsLineOf(filesFolder + "custom_settings.txt", program);
  if (line.empty()) line = settingsLineOf(filesFolder + "predefined_settings.txt", program);
  OptionSet options = line.empty() ? OptionSet{} : optionsOfSettingsLine(line);
  if (line.empty()) options[static_cast<size_t>(CaptureOption::NOCONTINUOUSCAPTURE)] = true;
  if (auto content = readFileContent(filesFolder + "kavrik_cmd.txt")) applyCommandFile(options, *content);
  return options;
}

}  // namespace kvx::capture
