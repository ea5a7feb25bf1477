#pragma once
// What a conference session tells its window (the desktop panel or the
// headless participant) and asks of it. Every text is the exact line or
// message the user sees.
#include <optional>
#include <string>

namespace kvx::conf {

class TlmFullManipInfo;

struct ProxyLogin {
  std::string user, password;
};

class ConferenceEvents {
 public:
  virtual ~ConferenceEvents() = default;

  // One conference log line, line feed included.
  virtual void log(const std::string& text) = 0;
  // The whole list of current users (replaces the users box).
  virtual void showUsers(const std::string& text) = 0;
  // A shout with the notice flag ("Message" box).
  virtual void showNotice(const std::string& text) = 0;
  // Every received shout sounds the beep first.
  virtual void beep() {}
  // The login answer refused with `status`; `text` may be empty.
  virtual void loginRefused(int status, const std::string& text) = 0;
  // The server refused this client's request for the master role.
  virtual void masterRefused() = 0;
  // The server asks the master to hand over; true releases the role.
  virtual bool askRelease() = 0;
  // The role changed (also at login): the frame hooks and "Become master".
  virtual void roleChanged(bool master) = 0;
  // A view state arrived and was applied (seq `us`, flags `f`).
  virtual void viewApplied(const TlmFullManipInfo&) {}
  // This client sent a view state as master.
  virtual void viewSent(const TlmFullManipInfo&) {}
  // The proxy demands a login: credentials, or nothing when cancelled.
  virtual std::optional<ProxyLogin> askProxyLogin(const std::string& message, const std::string& presetUser) = 0;
  // The proxy refused the tunnel ("Proxy connection error").
  virtual void proxyError(const std::string& text) = 0;
  // "Please enter pseudonym" ("No Pseudo").
  virtual void missingPseudonym() = 0;
  // Step after a successful connection: keep "host:port" as the newest server.
  virtual void serverReached(const std::string& hostPort) { (void)hostPort; }
  // The connection is up (socket and proxy): the connected state.
  virtual void connected() = 0;
  // Back to the disconnected state.
  virtual void disconnected() = 0;
};

}  // namespace kvx::conf
