// kestrin-cli demo: a sample author, program and define item served from 127.0.0.1, so that a
// new user sees a real check result without the Internet.
//
// It writes, in the user's store and Favorites (removed again by "demo --remove"):
//   \Software\Renvane\KestrinDemo            the sample author
//   \Software\Renvane\KestrinDemo\demotool   its program, installed at build 100
//   <Favorites>/Kestrin 2001/Kestrin デモ/デモページ.url   a watched page
// The local server offers build 101 of the program with a notice, and the page with a new
// Last-Modified, so every check finds one update, one notice and one changed page.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "cli/Command.h"
#include "define/DefineItem.h"
#include "define/KestrinTree.h"
#include "platform/Paths.h"
#include "platform/VRegEx.h"
#include "text/Cp932.h"

namespace kestrin::cli {

namespace {

constexpr const char* kDemoAuthor = "KestrinDemo";
constexpr const char* kDemoFolder = "Kestrin デモ";
constexpr const char* kDemoItem = "デモページ";

std::filesystem::path demoFolder() {
    return favoritesFolder() / kDefineRootName / kDemoFolder;
}

std::string baseURL(int port) {
    return "http://127.0.0.1:" + std::to_string(port);
}

// The author's update information file, as an author's server sends it (CP932, CR LF).
std::string updateInfo(int port) {
    const std::string url = baseURL(port);
    return utf8ToCp932(
        "[Info]\r\nVersion=6\r\nAuthor=Kestrin デモ作者\r\nURL=" + url +
        "/\r\n"
        "Notice=これは Kestrin 2001 のデモです。#r作者からのお知らせはここに表示されます。\r\n"
        "[Soft1]\r\nDistinctName=KestrinDemoTool\r\nBuild=101\r\nDisplayName=デモツール\r\n"
        "Version=1.01\r\nUpdate=2001/07/01\r\nGetAt=" +
        url +
        "/demotool101.zip\r\n"
        "Notice=ビルド 101 の変更点#r・更新の検知を試せます\r\n");
}

std::string httpDate(std::time_t time) {
    std::tm utc{};
    gmtime_r(&time, &utc);
    char text[64];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return text;
}

std::string response(const std::string& request, int port) {
    const std::string line = request.substr(0, request.find("\r\n"));
    std::string status = "200 OK", type = "text/html", extra, body;
    if (line.find(" /update.inf ") != std::string::npos) {
        type = "text/plain";
        body = updateInfo(port);
    } else if (line.find(" /page.html ") != std::string::npos) {
        // A new Last-Modified at every request: the page is always "updated".
        extra = "Last-Modified: " + httpDate(std::time(nullptr)) + "\r\n";
        body = "<html><head><title>Kestrin demo</title></head><body>demo</body></html>";
    } else {
        status = "404 Not Found";
        body = "<html><body>not found</body></html>";
    }
    std::string reply = "HTTP/1.0 " + status + "\r\nContent-Type: " + type + "\r\n" + extra +
                        "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    if (line.rfind("HEAD ", 0) != 0) reply += body;
    return reply;
}

// A listening socket on 127.0.0.1 (`port` 0: any free port).
int listenLocal(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("cannot create a socket");
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Answers one connection: reads the request header (bounded, with a time limit) and replies.
void answer(int listener, int port) {
    const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    std::string request;
    char buffer[4096];
    pollfd readable{fd, POLLIN, 0};
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 &&
           poll(&readable, 1, 2000) > 0) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    const std::string reply = response(request, port);
    for (std::size_t sent = 0; sent < reply.size();) {
        const ssize_t wrote = send(fd, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (wrote <= 0) break;
        sent += static_cast<std::size_t>(wrote);
    }
    close(fd);
}

volatile std::sig_atomic_t interrupted = 0;

// Serves until `child` (when not 0) has ended, or until interrupted.
void serve(int listener, int port, pid_t child) {
    std::signal(SIGINT, [](int) { interrupted = 1; });
    std::signal(SIGTERM, [](int) { interrupted = 1; });
    pollfd waiting{listener, POLLIN, 0};
    while (!interrupted) {
        if (child && waitpid(child, nullptr, WNOHANG) == child) return;
        if (poll(&waiting, 1, 100) > 0) answer(listener, port);
    }
}

void registerDemo(int port) {
    TVRegEx reg;
    reg.OpenRenvaneKey(kDemoAuthor);
    reg.WriteString("Author", "Kestrin デモ作者");
    reg.WriteString("DisplayHost", "127.0.0.1");
    reg.WriteString("InfoURL", baseURL(port) + "/update.inf");
    reg.OpenRenvaneKey(std::string(kDemoAuthor) + "\\demotool");
    reg.WriteString("DistinctName", "KestrinDemoTool");
    reg.WriteString("DisplayName", "デモツール");
    reg.WriteInteger("Build", 100);

    TVDefineItem item;
    item.TermName = kDemoItem;
    item.PageURL = baseURL(port) + "/page.html";
    item.Checked = true;
    item.Option = kMethodPageCheck;
    item.PageTime = "Mon, 01 Jan 2001 00:00:00 GMT";
    item.ItemPath = (demoFolder() / (std::string(kDemoItem) + ".url")).string();
    std::filesystem::remove(item.ItemPath);  // a new port each time: written afresh
    TVKestrinDefineItem().SaveItem(item);
}

void removeDemo() {
    TVRegEx reg;
    const bool author = reg.DeleteKey(std::string(kRenvaneKey) + kDemoAuthor);
    const bool folder = std::filesystem::remove_all(demoFolder()) > 0;
    std::cout << (author || folder ? "the demo author, program and page were removed\n"
                                   : "no demo entries were found\n");
}

int runDemo(const Arguments& arguments) {
    bool serveOnly = false;
    int port = 0;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--remove" && arguments.size() == 1) {
            removeDemo();
            return 0;
        } else if (arguments[i] == "--serve") {
            serveOnly = true;
        } else if (arguments[i] == "--port" && i + 1 < arguments.size()) {
            try {
                port = std::stoi(arguments[++i]);
            } catch (const std::exception&) {
                port = -1;
            }
            if (port < 1 || port > 65535) throw UsageError("--port needs a number 1-65535");
        } else {
            throw UsageError("unexpected argument '" + arguments[i] + "'");
        }
    }

    const int listener = listenLocal(port);
    registerDemo(port);
    std::cout << "demo author \"" << kDemoAuthor << "\" and the page \"" << kDemoFolder << "/"
              << kDemoItem << "\" registered; serving on " << baseURL(port) << "\n";
    if (serveOnly) {
        std::cout << "check now from the window or with: kestrin-cli check /checkauto "
                  << kDemoAuthor << " --folder \"" << kDemoFolder << "\"\n"
                  << "Ctrl+C stops the server; kestrin-cli demo --remove removes the entries\n"
                  << std::flush;
        serve(listener, port, 0);
        close(listener);
        return 0;
    }

    std::cout << "\n" << std::flush;
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("cannot start the check");
    if (child == 0) {
        close(listener);
        const std::string self = programPath().string();
        execl(self.c_str(), self.c_str(), "check", "/checkauto", kDemoAuthor, "--folder",
              kDemoFolder, static_cast<char*>(nullptr));
        _exit(127);
    }
    serve(listener, port, child);
    close(listener);
    std::cout << "\nkestrin-cli demo --remove removes the demo entries again\n";
    return 0;
}

const CommandRegistration registration("demo", "demo [--serve] [--port N] | demo --remove",
                                       runDemo);

}  // namespace

}  // namespace kestrin::cli
