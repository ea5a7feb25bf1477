#pragma once
// A squid on loopback with a private folder and configuration that lets
// CONNECT through with a Basic or Digest login, or with none; ended by pid.
#include "child_process.h"
#include "run_command.h"
#include "temp_env.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

namespace kvx::test {

class SquidProxy {
 public:
  static constexpr const char* kUser = "ann";
  static constexpr const char* kPassword = "open4me";

  enum class Login { Basic, Digest, None };

  explicit SquidProxy(const TempEnv& env, Login login = Login::Basic, const std::string& user = kUser,
                      const std::string& password = kPassword)
      : dir_(env.path("squid")), port_(ChildProcess::freePort()) {
    const std::string program = "/usr/sbin/squid";
    if (access(program.c_str(), X_OK) != 0) {
      missing_ = program;
      return;
    }
    // Started as root squid drops to the "proxy" user: the folder must be its.
    std::filesystem::create_directory(dir_);
    chmod(env.root().c_str(), 0711);
    chmod(dir_.c_str(), 0755);
    std::string config = "http_port 127.0.0.1:" + std::to_string(port_) + "\npid_filename " +
                         (dir_ / "squid.pid").string() + "\ncache_log " + (dir_ / "cache.log").string() +
                         "\naccess_log none\ncache_store_log none\ncache deny all\npinger_enable off\n"
                         "shutdown_lifetime 0 seconds\nvisible_hostname kvxtest\ncoredump_dir " + dir_.string() + "\n";
    if (login == Login::Basic) {
      const auto hash = runCommand("openssl passwd -1 -salt kvxsalt '" + password + "'");
      writeFile(dir_ / "basic_users", user + ":" + hash.output);
      config += "auth_param basic program /usr/lib/squid/basic_ncsa_auth " + (dir_ / "basic_users").string() +
                "\nauth_param basic realm kvx basic\n";
    } else if (login == Login::Digest) {
      writeFile(dir_ / "digest_users", user + ":" + password + "\n");
      config += "auth_param digest program /usr/lib/squid/digest_file_auth " + (dir_ / "digest_users").string() +
                "\nauth_param digest realm kvx digest\n";
    }
    config += login == Login::None ? "http_access allow CONNECT\n"
                                   : "acl authenticated proxy_auth REQUIRED\nhttp_access allow CONNECT authenticated\n";
    writeFile(dir_ / "squid.conf", config + "http_access deny all\n");
    if (passwd* proxyUser = getpwnam("proxy"); proxyUser && getuid() == 0) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_))
        chown(entry.path().c_str(), proxyUser->pw_uid, proxyUser->pw_gid);
      chown(dir_.c_str(), proxyUser->pw_uid, proxyUser->pw_gid);
    }
    // The service name (letters and digits only) keeps squids of one process apart.
    const std::string service = "kvxtest" + std::to_string(getpid()) + "p" + std::to_string(port_);
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{program, "-N", "-n", service, "-f", (dir_ / "squid.conf").string()},
        (dir_.parent_path() / "squid.out").string());
    up_ = ChildProcess::waitForPort(port_, 15000);
  }

  const std::string& missing() const { return missing_; }
  int port() const { return port_; }
  bool up() const { return up_; }
  std::string diagnostics() const {
    return readFile(dir_.parent_path() / "squid.out") + readFile(dir_ / "cache.log");
  }

 private:
  std::filesystem::path dir_;
  int port_;
  std::string missing_;
  std::unique_ptr<ChildProcess> process_;
  bool up_ = false;
};

}  // namespace kvx::test
