#pragma once
// A scriptable HTTP server on 127.0.0.1 for tests. It listens on an ephemeral port and serves
// each connection in its own thread: it reads one request, records its raw bytes and answers
// with the reply scripted for it, which may be delayed, paused, cut short, held open (a
// stall) or replaced by arbitrary bytes.
//
//   HttpTestServer server;
//   server.serve("/page.html", HttpReply::ok("<html>...</html>"));
//   server.enqueue(HttpReply::withStatus(302, "Found").header("Location", "/page.html"));
//   client.Get(server.url("/start"));  // first request gets the 302, the next one the page
//   server.requests();                 // what the client sent, byte for byte

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kestrin::test {

struct HttpReply {
    static constexpr std::size_t kWhole = static_cast<std::size_t>(-1);

    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    bool contentLength = true;          // add a Content-Length line for the body
    std::optional<std::string> raw;     // sent as is instead of status line, headers and body
    std::chrono::milliseconds delay{};  // before the first byte
    std::size_t pauseAt = kWhole;       // after this many bytes, wait `pauseFor`
    std::chrono::milliseconds pauseFor{};
    std::size_t cutAt = kWhole;  // send only this many bytes, then close...
    bool stall = false;          // ...or hold the connection open until the server stops
    // Sent over and over after the reply until the client goes away or the server stops: a
    // reply that never ends (an endless header or body).
    std::string repeat;

    static HttpReply ok(std::string body);
    static HttpReply withStatus(int code, std::string reason, std::string body = {});
    static HttpReply rawBytes(std::string bytes);
    HttpReply& header(std::string name, std::string value);

    // The bytes of the whole reply.
    std::string bytes() const;
};

class HttpTestServer {
  public:
    HttpTestServer();
    // Ends stalls and delays, closes every connection and joins the threads.
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT" + path
    std::string url(const std::string& path = "/") const;

    // Answers requests for `path` (the request target, or the path of a whole-URL target as a
    // proxy receives it) with `reply`, every time.
    void serve(const std::string& path, HttpReply reply);
    // Answers the next request, whatever its target, with `reply`; queued replies go first, in
    // order. Requests with neither get 404.
    void enqueue(HttpReply reply);

    // The raw bytes of every request received so far, in arrival order.
    std::vector<std::string> requests() const;
    // Waits until `count` requests have arrived; false when `limit` passes first.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds limit) const;

  private:
    void acceptLoop();
    void serveConnection(int fd);
    std::string readRequest(int fd);
    HttpReply replyFor(const std::string& request);
    bool sendReply(int fd, const HttpReply& reply);
    void sendForever(int fd, const std::string& chunk) const;
    // Sleeps `duration` unless the server stops first; false when it stops.
    bool sleepUnlessStopped(std::chrono::milliseconds duration) const;

    int listener_ = -1;
    int port_ = 0;
    int stopRead_ = -1;  // readable once the server stops
    int stopWrite_ = -1;
    std::thread acceptor_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::map<std::string, HttpReply> byPath_;
    std::deque<HttpReply> queue_;
    std::vector<std::string> requests_;
    std::vector<std::thread> connections_;
};

// A port on 127.0.0.1 that accepts no connection: its listen queue is full, so a connect to
// it stays pending until the client gives up (for time-out and cancel tests).
class UnansweredPort {
  public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;
    int port() const { return port_; }

  private:
    int listener_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

}  // namespace kestrin::test
