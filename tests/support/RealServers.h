#pragma once
// The real servers users meet, started for one test on 127.0.0.1 in a temporary folder and
// stopped when the object ends: nginx serving files, tinyproxy as a proxy with Basic
// authentication. When the program is not installed, unavailable() says so and the test skips:
//
//   if (auto why = NginxServer::unavailable(); !why.empty()) GTEST_SKIP() << why;

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/TempEnvironment.h"

namespace kestrin::test {

// A program running in the background, ended (SIGTERM, then waited for) with the object.
class ServerProcess {
  public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts `arguments` with its output going to `log` and waits until 127.0.0.1:`port`
    // accepts connections; raises with the log's text when the program ends or never listens.
    void start(const std::vector<std::string>& arguments, const std::filesystem::path& log,
               int port);
    // The same, waiting until `ready` holds.
    void start(const std::vector<std::string>& arguments, const std::filesystem::path& log,
               const std::function<bool()>& ready);
    void stop();

  private:
    pid_t pid_ = -1;
};

class NginxServer {
  public:
    static std::string unavailable();  // empty when nginx can run here

    NginxServer();
    int port() const { return port_; }
    std::string url(const std::string& path) const;
    // The served folder.
    std::filesystem::path root() const { return folder_ / "www"; }
    void addFile(const std::string& name, const std::string& bytes) const;
    // A file of `size` zero bytes that takes no disk space (for large downloads).
    void addSparseFile(const std::string& name, std::uint64_t size) const;

  private:
    TempFolder folder_;
    int port_ = 0;
    ServerProcess process_;
};

class TinyproxyServer {
  public:
    static std::string unavailable();  // empty when tinyproxy can run here

    // A proxy that wants Basic authentication with `user` and `password`.
    TinyproxyServer(const std::string& user, const std::string& password);
    int port() const { return port_; }

  private:
    TempFolder folder_;
    int port_ = 0;
    ServerProcess process_;
};

// A private D-Bus session bus (dbus-daemon) listening on the Unix socket `socket`; clients
// reach it with the address "unix:path=<socket>".
class SessionBus {
  public:
    static std::string unavailable();  // empty when dbus-daemon can run here

    explicit SessionBus(const std::filesystem::path& socket);
    std::string address() const;

  private:
    TempFolder folder_;
    std::filesystem::path socket_;
    ServerProcess process_;
};

// A TCP port on 127.0.0.1 that was free a moment ago.
int freeLoopbackPort();

}  // namespace kestrin::test
