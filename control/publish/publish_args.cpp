#include "publish_args.h"

#include <cstdlib>

namespace publish {
namespace {

bool parseGrid(const std::string& text, int& columns, int& rows) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos || x == 0 || x + 1 == text.size()) return false;
  char* end = nullptr;
  const long c = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + x) return false;
  const long r = std::strtol(text.c_str() + x + 1, &end, 10);
  if (*end || c < 1 || r < 1 || c > 16 || r > 16) return false;
  columns = static_cast<int>(c);
  rows = static_cast<int>(r);
  return true;
}

}  // namespace

const char* usageText() {
  return "usage: kavrik-publish [--grid COLSxROWS] [--open DOC.kvxdoc] [--save DOC.kvxdoc] [FILE|URL]...\n"
         "       kavrik-publish --register | --unregister\n";
}

std::optional<PublishArgs> parseArgs(const std::vector<std::string>& args, std::string& error) {
  PublishArgs parsed;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* option) -> std::optional<std::string> {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = std::string(option) + " needs a value";
        return std::nullopt;
      }
      return args[++i];
    };
    if (a == "--grid") {
      const auto v = value("--grid");
      if (!v) return std::nullopt;
      if (!parseGrid(*v, parsed.columns, parsed.rows)) {
        error = "--grid wants COLSxROWS, each 1 to 16, not \"" + *v + "\"";
        return std::nullopt;
      }
    } else if (a == "--open" || a == "--save") {
      const auto v = value(a.c_str());
      if (!v) return std::nullopt;
      (a == "--open" ? parsed.openDocument : parsed.saveDocument) = *v;
    } else if (a == "--register") {
      parsed.registerOnly = true;
    } else if (a == "--unregister") {
      parsed.unregisterOnly = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      error = "unknown option " + a;
      return std::nullopt;
    } else {
      parsed.sources.push_back(a);
    }
  }
  if ((parsed.registerOnly || parsed.unregisterOnly) && args.size() != 1) {
    error = "--register and --unregister stand alone";
    return std::nullopt;
  }
  return parsed;
}

}  // namespace publish
