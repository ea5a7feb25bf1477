#include "capture_command_file.h"

#include "services/file_content.h"


namespace kavrik {
namespace {

const char* choose(bool on, const char* whenOn, const char* whenOff) { return on ? whenOn : whenOff; }

bool isMarkerLine(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line == kKeptSectionMarker;
}

}  // namespace

std::string commandFileText(const CaptureSetting& s) {
  std::string text = s.name + "\n";
  text += s.matrixMode == MATRIX_1   ? "MATRIX1\nM.ATRIX2\n"
          : s.matrixMode == MATRIX_2 ? "M.ATRIX1\nMATRIX2\n"
                                     : "M.ATRIX1\nM.ATRIX2\n";
  text += choose(s.noTexture, "NOTEXTURE\n", "N.OTEXTURE\n");
  text += "D.NOTHING\n";
  text += choose(s.continuousCapture, "N.OCONTINUOUSCAPTURE\n", "NOCONTINUOUSCAPTURE\n");
  text += s.toggleMode == TOGGLE_ON_CLEAR   ? "TOGGLEONCLEAR\nT.OGGLEONFLUSH\n"
          : s.toggleMode == TOGGLE_ON_FLUSH ? "T.OGGLEONCLEAR\nTOGGLEONFLUSH\n"
                                            : "T.OGGLEONCLEAR\nT.OGGLEONFLUSH\n";
  text += choose(s.noWireframe, "NOWIREFRAME\nNOPOINTS\n", "N.OWIREFRAME\nN.OPOINTS\n");
  text += choose(s.linesAsSolid, "CAPTURELINEASSOLID\n", "C.APTURELINEASSOLID\n");
  text += choose(s.optimise, "N.OOPTIM\n", "NOOPTIM\n");
  text += choose(s.recomputeNormals, "RECOMPUTENORMALS\n", "R.ECOMPUTENORMALS\n");
  // Every keyword ends its line, so that the last one never runs into the
  // kept section's marker.
  size_t start = 0;
  while (start < s.specialKeywords.size()) {
    size_t end = s.specialKeywords.find('|', start);
    if (end == std::string::npos) end = s.specialKeywords.size();
    // A keyword that reads as the marker would hand the lines after it to
    // the user's section at the next write.
    const std::string keyword = s.specialKeywords.substr(start, end - start);
    if (!keyword.empty() && !isMarkerLine(keyword)) text += keyword + "\n";
    start = end + 1;
  }
  return text;
}

std::string keptSection(const std::string& content) {
  // The first line is the application's name, whatever it reads.
  size_t lineStart = content.find('\n');
  lineStart = lineStart == std::string::npos ? content.size() : lineStart + 1;
  while (lineStart < content.size()) {
    size_t lineEnd = content.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = content.size();
    if (isMarkerLine(content.substr(lineStart, lineEnd - lineStart))) return content.substr(lineStart);
    lineStart = lineEnd + 1;
  }
  return "";
}

bool writeCommandFile(const std::string& path, const CaptureSetting& setting) {
  const std::string previous = kvx::readFileContent(path).value_or("");
  return kvx::replaceFileContent(path, commandFileText(setting) + keptSection(previous));
}

}  // namespace kavrik
