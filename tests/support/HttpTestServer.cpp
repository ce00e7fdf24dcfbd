#include "support/HttpTestServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kestrin::test {

namespace {
constexpr auto kRequestLimit = std::chrono::seconds(10);

[[noreturn]] void fail(const char* what) {
    throw std::runtime_error(std::string("HttpTestServer: ") + what + ": " + std::strerror(errno));
}

// A socket listening on 127.0.0.1 at an ephemeral port.
int listenOnLoopback(int backlog, int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) fail("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) fail("bind");
    if (::listen(fd, backlog) != 0) fail("listen");
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

// The request target with a whole URL's scheme and host taken off.
std::string pathOf(const std::string& request) {
    const auto start = request.find(' ');
    if (start == std::string::npos) return {};
    const auto end = request.find_first_of(" \r\n", start + 1);
    std::string target = request.substr(start + 1, end - start - 1);
    if (strncasecmp(target.c_str(), "http://", 7) == 0) {
        const auto slash = target.find('/', 7);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    }
    return target;
}

std::size_t requestBodySize(const std::string& head) {
    for (std::size_t line = 0; line < head.size();) {
        const auto end = head.find('\n', line);
        if (strncasecmp(head.c_str() + line, "Content-Length:", 15) == 0)
            return std::strtoull(head.c_str() + line + 15, nullptr, 10);
        if (end == std::string::npos) break;
        line = end + 1;
    }
    return 0;
}

bool sendAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}
}  // namespace

HttpReply HttpReply::ok(std::string body) {
    HttpReply reply;
    reply.body = std::move(body);
    return reply;
}

HttpReply HttpReply::withStatus(int code, std::string reason, std::string body) {
    HttpReply reply;
    reply.status = code;
    reply.reason = std::move(reason);
    reply.body = std::move(body);
    return reply;
}

HttpReply HttpReply::rawBytes(std::string bytes) {
    HttpReply reply;
    reply.raw = std::move(bytes);
    return reply;
}

HttpReply& HttpReply::header(std::string name, std::string value) {
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

std::string HttpReply::bytes() const {
    if (raw) return *raw;
    std::string text = "HTTP/1.0 " + std::to_string(status) + " " + reason + "\r\n";
    for (const auto& [name, value] : headers)
        text += name + ": " + value + "\r\n";
    if (contentLength) text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return text + "\r\n" + body;
}

HttpTestServer::HttpTestServer() {
    listener_ = listenOnLoopback(64, port_);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) fail("pipe");
    stopRead_ = fds[0];
    stopWrite_ = fds[1];
    acceptor_ = std::thread([this] { acceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
    ::close(stopWrite_);  // every poll on stopRead_ now wakes
    acceptor_.join();
    for (auto& connection : connections_)
        connection.join();
    ::close(stopRead_);
    ::close(listener_);
}

std::string HttpTestServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpTestServer::serve(const std::string& path, HttpReply reply) {
    std::lock_guard lock(mutex_);
    byPath_[path] = std::move(reply);
}

void HttpTestServer::enqueue(HttpReply reply) {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(reply));
}

std::vector<std::string> HttpTestServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool HttpTestServer::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, limit, [&] { return requests_.size() >= count; });
}

void HttpTestServer::acceptLoop() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {stopRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
        if (fds[1].revents) return;
        if (!fds[0].revents) continue;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        // Only this thread adds connections; the destructor joins them after this loop ends.
        connections_.emplace_back([this, fd] {
            serveConnection(fd);
            ::close(fd);
        });
    }
}

void HttpTestServer::serveConnection(int fd) {
    const std::string request = readRequest(fd);
    if (request.empty()) return;
    HttpReply reply = replyFor(request);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    arrived_.notify_all();
    if (!sleepUnlessStopped(reply.delay)) return;
    if (!sendReply(fd, reply)) return;
    if (!reply.repeat.empty()) sendForever(fd, reply.repeat);
    if (reply.stall) sleepUnlessStopped(std::chrono::hours(1));
}

// The request line, header and any body the header announces; what came before the client
// closed or stopped sending.
std::string HttpTestServer::readRequest(int fd) {
    std::string request;
    std::size_t wanted = std::string::npos;
    const auto giveUp = std::chrono::steady_clock::now() + kRequestLimit;
    while (request.size() < wanted && std::chrono::steady_clock::now() < giveUp) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopRead_, POLLIN, 0}};
        ::poll(fds, 2, 100);
        if (fds[1].revents) break;
        if (!fds[0].revents) continue;
        char buffer[16384];
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        request.append(buffer, static_cast<std::size_t>(count));
        const auto headEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headEnd != std::string::npos)
            wanted = headEnd + 4 + requestBodySize(request.substr(0, headEnd));
    }
    return request;
}

HttpReply HttpTestServer::replyFor(const std::string& request) {
    std::lock_guard lock(mutex_);
    if (!queue_.empty()) {
        HttpReply reply = std::move(queue_.front());
        queue_.pop_front();
        return reply;
    }
    const auto found = byPath_.find(pathOf(request));
    if (found != byPath_.end()) return found->second;
    return HttpReply::withStatus(404, "Not Found", "not found");
}

bool HttpTestServer::sendReply(int fd, const HttpReply& reply) {
    const std::string bytes = reply.bytes();
    const std::size_t end = std::min(reply.cutAt, bytes.size());
    const std::size_t pause = std::min(reply.pauseAt, end);
    if (!sendAll(fd, bytes.data(), pause)) return false;
    if (pause < end) {
        if (!sleepUnlessStopped(reply.pauseFor)) return false;
        if (!sendAll(fd, bytes.data() + pause, end - pause)) return false;
    }
    return true;
}

void HttpTestServer::sendForever(int fd, const std::string& chunk) const {
    for (std::size_t at = 0;;) {
        pollfd events[] = {{fd, POLLOUT, 0}, {stopRead_, POLLIN, 0}};
        if (::poll(events, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (events[1].revents != 0 || (events[0].revents & (POLLERR | POLLHUP))) return;
        const ssize_t sent =
            ::send(fd, chunk.data() + at, chunk.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno != EAGAIN && errno != EINTR) return;
        if (sent > 0) at = (at + static_cast<std::size_t>(sent)) % chunk.size();
    }
}

bool HttpTestServer::sleepUnlessStopped(std::chrono::milliseconds duration) const {
    if (duration.count() <= 0) return true;
    pollfd stop{stopRead_, POLLIN, 0};
    const auto limit = std::min<std::chrono::milliseconds::rep>(duration.count(), INT32_MAX);
    return ::poll(&stop, 1, static_cast<int>(limit)) == 0;
}

UnansweredPort::UnansweredPort() {
    // A queue of length 0 holds one connection; with it taken, the kernel drops further SYNs.
    listener_ = listenOnLoopback(0, port_);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port_));
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        fillers_.push_back(fd);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        pollfd connected{fd, POLLOUT, 0};
        if (::poll(&connected, 1, 100) == 0) return;  // this one hangs: the queue is full
    }
    throw std::runtime_error("UnansweredPort: the listen queue never filled");
}

UnansweredPort::~UnansweredPort() {
    for (int fd : fillers_)
        ::close(fd);
    ::close(listener_);
}

}  // namespace kestrin::test
