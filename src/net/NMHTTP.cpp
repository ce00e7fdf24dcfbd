#include "net/NMHTTP.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "net/BodyFile.h"
#include "net/Url.h"
#include "platform/HostLookup.h"
#include "platform/MessagePump.h"

namespace kestrin {

namespace {
constexpr int kStepMs = 2;
constexpr std::size_t kReceiveBlock = 65536;

bool isRedirect(int reply) {
    return reply >= 300 && reply <= 302;
}

// Statuses whose response never carries a body, whatever Content-Length says.
bool hasNoBody(int reply) {
    return reply < 200 || reply == 204 || reply == 304;
}

// The URL a redirect leads to. A Location without a host ("/path" or "name") stays on the
// server that sent it, port included.
std::string redirectTarget(const std::string& location, const std::string& host, int port) {
    if (location.empty()) return {};
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on "literal" + string&&.
    std::string origin = "http://";
    origin += host;
    if (port != 80) origin += ':' + std::to_string(port);
    if (location.find('/') == std::string::npos) return origin + "/" + location;
    if (location[0] == '/' && location.compare(0, 2, "//") != 0) return origin + location;
    return location;
}
}  // namespace

TNMHTTP::TNMHTTP() = default;

TNMHTTP::~TNMHTTP() {
    closeSocket();
}

void TNMHTTP::Get(const std::string& url) {
    run(HttpCommand::Get, url);
}

void TNMHTTP::Head(const std::string& url) {
    run(HttpCommand::Head, url);
}

void TNMHTTP::run(HttpCommand command, const std::string& url) {
    // A pumped event must not start a second transfer on top of the one waiting.
    if (running_) throw ESockError("Already connected");
    running_ = true;
    struct Running {
        bool& flag;
        ~Running() { flag = false; }
    } running{running_};
    aborted_ = false;
    timedOut_ = false;
    lastError_ = 0;

    std::string next = transfer(command, url);
    for (int redirects = 0; !next.empty(); ++redirects) {
        if (redirects == kMaxRedirects) throw ESockError("Too many redirects");
        next = transfer(command, next);
    }
}

std::string TNMHTTP::transfer(HttpCommand command, const std::string& url) {
    const SplitUrl split = splitUrl(url);
    if (!split.host.empty()) Host = split.host;
    Port = split.port;
    Header.clear();
    replyNumber_ = 0;
    bytesTotal_ = 0;
    bytesReceived_ = 0;

    RequestTarget target;
    target.url = split.url;
    target.path = split.path;
    target.host = Host;
    target.viaProxy = !Proxy.empty();
    buildRequestHeaders(sendHeaders_, command, target, HeaderInfo);
    if (OnAboutToSend) OnAboutToSend();

    connect();
    struct Closer {
        TNMHTTP& http;
        ~Closer() { http.closeSocket(); }
    } closer{*this};
    sendAll(sendHeaders_.text());

    const ResponseHeader response = readHeader();
    replyNumber_ = response.replyNumber();
    bytesTotal_ = response.contentLength();
    // Nothing that reads as an HTTP status is no reply at all, never a success.
    if (!response.hasStatusLine()) throw ESockError("Empty reply from server");
    if (replyNumber_ < 100) throw ESockError("Invalid reply from server");
    // In file mode the body waits in a temporary file: a redirect's page, when it is followed,
    // never replaces the target.
    std::optional<BodyFile> file;
    if (InputFileMode) file.emplace(Body);
    readBody(command, file ? &*file : nullptr);
    if (file && !isRedirect(replyNumber_)) file->commit();

    if (replyNumber_ < 299) {
        if (OnSuccess) OnSuccess(command);
        status("Transaction Completed");
    } else if (replyNumber_ >= 400) {
        if (OnFailure) OnFailure(command);
    }
    closeSocket();

    if (isRedirect(replyNumber_)) {
        if (response.hasCookie()) HeaderInfo.Cookie = response.cookie();
        bool handled = false;
        if (OnRedirect) OnRedirect(handled);
        const std::string next = handled ? "" : redirectTarget(response.location(), Host, Port);
        if (file && next.empty()) file->commit();
        return next;
    }
    if (replyNumber_ == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded();
    return {};
}

void TNMHTTP::connect() {
    status("Connecting");
    if (connected()) throw ESockError("Already connected");
    restartTimer();
    const in_addr address = resolve();
    const int port = Proxy.empty() ? Port : ProxyPort;

    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) raiseSocketError(errno);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    peer.sin_addr = address;

    restartTimer();
    int error = 0;
    Wait outcome = Wait::Ready;
    if (::connect(socket_, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno == EINPROGRESS)
            outcome = waitFor(socket_, POLLOUT);
        else
            error = errno;
    }
    if (outcome == Wait::Ready && error == 0) {
        socklen_t length = sizeof error;
        getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &length);
    }
    if (outcome == Wait::Ready && error == 0) {
        if (OnConnect) OnConnect();
        return;
    }
    if (error != 0) lastError_ = error;
    closeSocket();
    const char* text = outcome == Wait::TimedOut  ? "Connection Timed out"
                       : outcome == Wait::Aborted ? "Connection Canceled"
                                                  : "Connection Failed";
    if (OnConnectionFailed) OnConnectionFailed();
    throw ESockError(text);
}

// The address of the proxy, or of Host when there is none. When the name gives no address, an
// OnInvalidHost handler may name another host (it changes Host) and have it tried once.
in_addr TNMHTTP::resolve() {
    in_addr address{};
    if (lookUp(Proxy.empty() ? Host : Proxy, address)) return address;
    bool handled = false;
    if (OnInvalidHost) OnInvalidHost(handled);
    if (handled && lookUp(Proxy.empty() ? Host : Proxy, address)) return address;
    throw ESockError("Null Remote Address");
}

bool TNMHTTP::lookUp(const std::string& host, in_addr& address) {
    if (inet_pton(AF_INET, host.c_str(), &address) == 1) return true;
    HostLookup lookup(host);
    for (;;) {
        const Wait outcome = step(-1, 0);
        if (outcome == Wait::Aborted) throw ESockError("Host Lookup Canceled");
        if (outcome == Wait::TimedOut) throw ESockError("Host Lookup Timed Out");
        if (lookup.done()) break;
    }
    const auto found = lookup.addresses();
    if (found.empty()) {
        status("Host Lookup Failed");
        return false;
    }
    address = found.front();
    return true;
}

void TNMHTTP::sendAll(const std::string& bytes) {
    restartTimer();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count =
            ::send(socket_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count >= 0) {
            sent += static_cast<std::size_t>(count);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (waitFor(socket_, POLLOUT) != Wait::Ready) throw ESockError("Socket send aborted");
        } else if (errno != EINTR) {
            raiseSocketError(errno);
        }
    }
}

ResponseHeader TNMHTTP::readHeader() {
    ResponseHeader response;
    received_.clear();
    std::string line;
    while (readLine(line)) {
        // The end of the data may end the header, but not in the middle of a line: a reply cut
        // there is broken, and its status must not pass for the server's answer.
        if (line.back() != '\n')
            throw ESockError("Connection closed before the whole header was received");
        if (response.hasStatusLine() && (line == "\r\n" || line == "\n")) break;
        Header += line;
        if (Header.size() > kMaxHeaderBytes) throw ESockError("Response header too large");
        response.takeLine(line);
    }
    return response;
}

// The next line with its line end, or the unterminated rest when the server closes; false when
// nothing is left.
bool TNMHTTP::readLine(std::string& line) {
    restartTimer();
    std::size_t searched = 0;
    for (;;) {
        const auto end = received_.find('\n', searched);
        if (end != std::string::npos) {
            line = received_.substr(0, end + 1);
            received_.erase(0, end + 1);
            return true;
        }
        if (received_.size() > kMaxHeaderBytes) throw ESockError("Response header too large");
        searched = received_.size();
        char buffer[kReceiveBlock];
        const ssize_t count = ::recv(socket_, buffer, sizeof buffer, 0);
        if (count > 0) {
            received_.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno == ENOTCONN) {
            line = std::move(received_);
            received_.clear();
            return !line.empty();
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (waitFor(socket_, POLLIN) != Wait::Ready) throw ESockError("Socket readln aborted");
        } else if (errno != EINTR) {
            raiseSocketError(errno);
        }
    }
}

void TNMHTTP::readBody(HttpCommand command, BodyFile* file) {
    bytesReceived_ = 0;
    if (!file) {
        Body.clear();
        if (bytesTotal_ > 0)
            Body.reserve(std::min(static_cast<std::size_t>(bytesTotal_), MaxMemoryBody));
    }
    auto take = [&](const char* bytes, std::size_t size) {
        if (file) {
            if (static_cast<std::size_t>(bytesReceived_) + size > MaxFileBody)
                throw ESockError("Response body too large");
            file->write(bytes, size);
        } else {
            if (Body.size() + size > MaxMemoryBody) {
                std::string().swap(Body);
                throw ESockError("Response body too large");
            }
            Body.append(bytes, size);
        }
        bytesReceived_ += static_cast<std::int64_t>(size);
        if (OnPacketRecvd) OnPacketRecvd();
        restartTimer();
    };

    restartTimer();
    if (!received_.empty()) take(received_.data(), received_.size());
    std::string().swap(received_);
    std::vector<char> buffer(kReceiveBlock);
    for (;;) {
        messagePump().processMessages();
        if (aborted_) throw ESockError("Socket capture aborted");
        const ssize_t count = ::recv(socket_, buffer.data(), buffer.size(), 0);
        if (count > 0) {
            take(buffer.data(), static_cast<std::size_t>(count));
        } else if (count == 0 || errno == ENOTCONN) {
            break;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (waitFor(socket_, POLLIN) != Wait::Ready) throw ESockError("Socket capture aborted");
        } else if (errno != EINTR) {
            raiseSocketError(errno);
        }
    }
    // A body cut short is a failed transfer, not a smaller page.
    if (command == HttpCommand::Get && !hasNoBody(replyNumber_) && bytesReceived_ < bytesTotal_)
        throw ESockError("Connection closed before the whole body was received");
}

void TNMHTTP::closeSocket() {
    if (socket_ < 0) return;
    ::close(socket_);
    socket_ = -1;
}

void TNMHTTP::restartTimer() {
    deadline_ = Clock::now() + std::chrono::milliseconds(TimeOut);
}

// One pass of every wait: poll `fd` (a negative one just sleeps) for at most 2 ms, then let the
// pump run. Passing the inactivity limit marks the transfer timed out and cancelled.
TNMHTTP::Wait TNMHTTP::step(int fd, short events) {
    pollfd watched{fd, events, 0};
    const int ready = ::poll(&watched, fd >= 0 ? 1 : 0, kStepMs);
    messagePump().processMessages();
    if (!aborted_ && ready <= 0 && Clock::now() >= deadline_) {
        timedOut_ = true;
        aborted_ = true;
    }
    if (aborted_) return timedOut_ ? Wait::TimedOut : Wait::Aborted;
    return ready > 0 ? Wait::Ready : Wait::Pending;
}

TNMHTTP::Wait TNMHTTP::waitFor(int fd, short events) {
    Wait outcome;
    while ((outcome = step(fd, events)) == Wait::Pending) {
    }
    return outcome;
}

void TNMHTTP::raiseSocketError(int error) {
    lastError_ = error;
    throw ESockError(std::strerror(error));
}

void TNMHTTP::status(const std::string& text) {
    if (OnStatus && kStatusLevel <= ReportLevel) OnStatus(text);
}

}  // namespace kestrin
