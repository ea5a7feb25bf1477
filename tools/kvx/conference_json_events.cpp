#include "conference_json_events.h"

#include "json_writer.h"
#include "tlm_messages.h"

#include <cstdio>
#include <utility>

namespace kvx::tool {
namespace {

void printLine(JsonWriter& w) {
  w.endObject();
  std::fputs(w.text().c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

JsonWriter start(const char* event) {
  JsonWriter w;
  w.beginObject().key("event").value(event);
  return w;
}

}  // namespace

void JsonEvents::emit(const char* event, const std::string& text, bool withText) {
  JsonWriter w = start(event);
  if (withText && !text.empty()) w.key("text").value(text);
  if (std::string_view(event) == "log") lastLog = text;
  printLine(w);
}

void JsonEvents::loginRefused(int status, const std::string& text) {
  JsonWriter w = start("refused");
  w.key("status").value(status).key("text").value(text);
  printLine(w);
}

void JsonEvents::proxyError(const std::string& text) {
  std::fprintf(stderr, "kvx conference: Proxy connection error: %s\n", text.c_str());
}

void JsonEvents::masterRefused() {
  masterRefusedSeen = true;
  emit("master-refused");
}

bool JsonEvents::askRelease() {
  JsonWriter w = start("release-request");
  w.key("answer").value(release_ ? "yes" : "no");
  printLine(w);
  return release_;
}

void JsonEvents::loginDone(bool isMaster) {
  loggedIn_ = true;
  master = isMaster;
  JsonWriter w = start("login");
  w.key("master").value(isMaster);
  printLine(w);
}

void JsonEvents::roleChanged(bool isMaster) {
  if (loggedIn_ && isMaster && !master) emit("master");
  master = isMaster;
}

void JsonEvents::viewApplied(const conf::TlmFullManipInfo& view) {
  ++viewsApplied;
  JsonWriter w = start("view");
  w.key("us").value(view.us).key("f").value(view.f);
  printLine(w);
}

void JsonEvents::viewSent(const conf::TlmFullManipInfo& view) {
  JsonWriter w = start("sent-view");
  w.key("us").value(view.us);
  printLine(w);
}

std::optional<conf::ProxyLogin> JsonEvents::askProxyLogin(const std::string& message, const std::string&) {
  static const std::string prefix = "Proxy login required for ";
  JsonWriter w = start("proxy-login-required");
  w.key("realm").value(message.compare(0, prefix.size(), prefix) == 0 ? message.substr(prefix.size()) : message);
  printLine(w);
  if (!proxyLogin_) proxyLoginUnanswered = true;
  return std::exchange(proxyLogin_, std::nullopt);
}

void JsonEvents::disconnected() {
  // The session reports the disconnected state also before any connection.
  if (!wasConnected_ && !loggedIn_) return;
  if (leaving_) {
    emit("disconnected");
    return;
  }
  lost = true;
  JsonWriter w = start("disconnected");
  std::string reason = lastLog;
  while (!reason.empty() && reason.back() == '\n') reason.pop_back();
  w.key("reason").value(reason.empty() ? "connection lost" : reason);
  printLine(w);
}

}  // namespace kvx::tool
