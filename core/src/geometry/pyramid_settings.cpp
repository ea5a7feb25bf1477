// Reading of the pyramid file "pyra.txt".
#include "geometry/pyramid.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace kvx {

namespace {

// The whitespace-separated words of the line that are numbers.
std::vector<float> numbersIn(const std::string& line) {
  std::vector<float> numbers;
  std::istringstream words(line);
  for (std::string word; words >> word;) {
    char* end = nullptr;
    const float value = std::strtof(word.c_str(), &end);
    if (end != word.c_str() && *end == '\0') numbers.push_back(value);
  }
  return numbers;
}

}  // namespace

std::optional<PyramidSettings> readPyramidSettings(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  PyramidSettings settings;
  bool scaleRead = false;
  for (std::string line; std::getline(file, line);) {
    if (const size_t comment = line.find("//"); comment != std::string::npos) line.resize(comment);
    const std::vector<float> numbers = numbersIn(line);
    if (numbers.empty()) continue;
    if (!scaleRead) {
      if (numbers.size() == 1) settings.scale = numbers[0];
      scaleRead = true;
      continue;
    }
    std::array<float, 3> plane;
    if (std::sscanf(line.c_str(), "%f %f %f", &plane[0], &plane[1], &plane[2]) == 3) settings.plane = plane;
    break;
  }
  return settings;
}

}  // namespace kvx
