#include "conference_options.h"

#include <cstdlib>
#include <set>

namespace kvx::tool {
namespace {

constexpr int kMaxViews = 100000;
constexpr double kMaxLinger = 86400;

bool parseCount(const std::string& text, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || value < 0 || value > kMaxViews) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

std::optional<std::string> parseConferenceOptions(const std::vector<std::string>& args, ConferenceOptions& o) {
  static const std::set<std::string> withValue = {"--file",  "--password",    "--pseudo",         "--proxy",
                                                  "--proxy-user", "--proxy-password", "--after-views", "--chat",
                                                  "--views", "--release",     "--linger",         "--snapshot"};
  bool passwordGiven = false, proxyPasswordGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--create") {
      o.create = true;
    } else if (a == "--become-master") {
      o.becomeMaster = true;
    } else if (withValue.count(a)) {
      if (i + 1 >= args.size()) return "missing value after " + a;
      const std::string& v = args[++i];
      if (a == "--file") o.scene = v;
      else if (a == "--password") o.password = v, passwordGiven = true;
      else if (a == "--pseudo") o.pseudonym = v;
      else if (a == "--proxy") o.proxy = v;
      else if (a == "--proxy-user") o.proxyUser = v;
      else if (a == "--proxy-password") o.proxyPassword = v, proxyPasswordGiven = true;
      else if (a == "--chat") o.chat.push_back(v);
      else if (a == "--snapshot") o.snapshot = v;
      else if (a == "--after-views" && !parseCount(v, o.afterViews)) return "bad count '" + v + "' after --after-views";
      else if (a == "--views" && !parseCount(v, o.views)) return "bad count '" + v + "' after --views";
      else if (a == "--release") {
        if (v != "yes" && v != "no") return "--release takes yes or no";
        o.release = v == "yes";
      } else if (a == "--linger") {
        char* end = nullptr;
        o.linger = std::strtod(v.c_str(), &end);
        if (v.empty() || *end || !(o.linger >= 0 && o.linger <= kMaxLinger)) return "bad seconds '" + v + "' after --linger";
      }
    } else if (!a.empty() && a[0] == '-') {
      return "unknown option " + a;
    } else if (o.hostField.empty()) {
      o.hostField = a;
    } else {
      return "more than one server";
    }
  }
  if (o.hostField.empty()) return "missing HOST[:PORT]";
  if (o.scene.empty()) return "missing --file SCENE.kvx";
  if (o.pseudonym.empty()) return "missing --pseudo NAME";
  if (!o.proxy.empty() && o.proxy.find(':') == std::string::npos) return "--proxy needs HOST:PORT";
  if (o.proxy.empty() && (!o.proxyUser.empty() || proxyPasswordGiven)) return "--proxy-user needs --proxy";
  if (proxyPasswordGiven && o.proxyUser.empty()) return "--proxy-password needs --proxy-user";
  if (!passwordGiven)
    if (const char* env = std::getenv("KAVRIK_CONFERENCE_PASSWORD")) o.password = env;
  if (!proxyPasswordGiven && !o.proxyUser.empty())
    if (const char* env = std::getenv("KAVRIK_PROXY_PASSWORD")) o.proxyPassword = env;
  return std::nullopt;
}

}  // namespace kvx::tool
