#include "support/RealServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

extern char** environ;

namespace kestrin::test {

namespace {
const char* const kNginx = "/usr/sbin/nginx";

std::string findProgram(const std::string& name) {
    for (const char* folder : {"/usr/sbin", "/usr/bin", "/usr/local/sbin", "/usr/local/bin"}) {
        const fs::path candidate = fs::path(folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

bool acceptsUnixConnections(const fs::path& socket) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket.native().size() >= sizeof address.sun_path) return false;
    std::copy(socket.native().begin(), socket.native().end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

bool acceptsConnections(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

std::string logText(const fs::path& log) {
    try {
        return readFile(log);
    } catch (const std::exception&) {
        return {};
    }
}
}  // namespace

int freeLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("no free port on 127.0.0.1");
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

void ServerProcess::start(const std::vector<std::string>& arguments, const fs::path& log,
                          int port) {
    start(arguments, log, [port] { return acceptsConnections(port); });
}

void ServerProcess::start(const std::vector<std::string>& arguments, const fs::path& log,
                          const std::function<bool()>& ready) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + arguments[0]);
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ready()) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error(arguments[0] + " ended at start: " + logText(log));
        }
        if (std::chrono::steady_clock::now() > giveUp) {
            stop();
            throw std::runtime_error(arguments[0] + " is not ready: " + logText(log));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void ServerProcess::stop() {
    if (pid_ < 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string NginxServer::unavailable() {
    return ::access(kNginx, X_OK) == 0 ? std::string()
                                       : std::string("nginx is not installed at ") + kNginx;
}

NginxServer::NginxServer() {
    const fs::path dir = folder_.path();
    fs::create_directories(root());
    fs::create_directories(dir / "temp");
    port_ = freeLoopbackPort();
    // Run as root (as CI does), nginx's workers would drop to "nobody", who cannot read the
    // private temporary folder.
    const std::string user = ::geteuid() == 0 ? "user root;\n" : "";
    const std::string d = dir.string();
    writeFile(dir / "nginx.conf",
              "worker_processes 1;\n" + user + "error_log " + d + "/error.log;\npid " + d +
                  "/nginx.pid;\nevents { worker_connections 64; }\nhttp {\n"
                  "  access_log off;\n  default_type application/octet-stream;\n"
                  "  types { text/html html; text/plain txt; }\n  sendfile on;\n"
                  "  client_body_temp_path " +
                  d +
                  "/temp/body;\n"
                  "  proxy_temp_path " +
                  d +
                  "/temp/proxy;\n"
                  "  fastcgi_temp_path " +
                  d +
                  "/temp/fastcgi;\n"
                  "  uwsgi_temp_path " +
                  d +
                  "/temp/uwsgi;\n"
                  "  scgi_temp_path " +
                  d +
                  "/temp/scgi;\n"
                  "  server { listen 127.0.0.1:" +
                  std::to_string(port_) + "; root " + root().string() + "; }\n}\n");
    process_.start(
        {kNginx, "-e", d + "/error.log", "-p", d, "-c", d + "/nginx.conf", "-g", "daemon off;"},
        dir / "output.log", port_);
}

std::string NginxServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void NginxServer::addFile(const std::string& name, const std::string& bytes) const {
    writeFile(root() / name, bytes);
}

void NginxServer::addSparseFile(const std::string& name, std::uint64_t size) const {
    writeFile(root() / name, "");
    fs::resize_file(root() / name, size);
}

std::string TinyproxyServer::unavailable() {
    return findProgram("tinyproxy").empty() ? "tinyproxy is not installed" : "";
}

TinyproxyServer::TinyproxyServer(const std::string& user, const std::string& password) {
    const fs::path dir = folder_.path();
    port_ = freeLoopbackPort();
    const std::string d = dir.string();
    writeFile(dir / "tinyproxy.conf",
              "Port " + std::to_string(port_) + "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n" +
                  "BasicAuth " + user + " " + password + "\nPidFile \"" + d +
                  "/tinyproxy.pid\"\nLogFile \"" + d + "/tinyproxy.log\"\nLogLevel Info\n");
    process_.start({findProgram("tinyproxy"), "-d", "-c", d + "/tinyproxy.conf"},
                   dir / "output.log", port_);
}

std::string SessionBus::unavailable() {
    return findProgram("dbus-daemon").empty() ? "dbus-daemon is not installed" : "";
}

SessionBus::SessionBus(const fs::path& socket) : socket_(socket) {
    const fs::path dir = folder_.path();
    fs::create_directories(socket.parent_path());
    writeFile(dir / "session.conf",
              "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
              "<busconfig>\n  <type>session</type>\n  <listen>unix:path=" +
                  socket.string() +
                  "</listen>\n  <auth>EXTERNAL</auth>\n"
                  "  <policy context=\"default\">\n    <allow send_destination=\"*\"/>\n"
                  "    <allow receive_sender=\"*\"/>\n"
                  "    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n");
    process_.start({findProgram("dbus-daemon"), "--config-file=" + (dir / "session.conf").string(),
                    "--nofork", "--nopidfile", "--nosyslog"},
                   dir / "output.log", [this] { return acceptsUnixConnections(socket_); });
}

std::string SessionBus::address() const {
    return "unix:path=" + socket_.string();
}

}  // namespace kestrin::test
