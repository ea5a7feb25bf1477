#pragma once
// Command line of kavrik-publish.
#include <optional>
#include <string>
#include <vector>

namespace publish {

struct PublishArgs {
  int columns = 0, rows = 0;  // 0: one row holding every control
  std::string openDocument, saveDocument;
  std::vector<std::string> sources;  // files or URLs, one control each
  bool registerOnly = false, unregisterOnly = false;
};

// Nothing for a usage error; `error` then says what is wrong.
std::optional<PublishArgs> parseArgs(const std::vector<std::string>& args, std::string& error);
const char* usageText();

}  // namespace publish
