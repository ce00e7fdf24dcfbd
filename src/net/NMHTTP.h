#pragma once
// TNMHTTP: the HTTP/1.0 client all of the system's network traffic goes through. Get and Head
// run one whole transfer (following redirects) and return when it is done; while they wait they
// poll the socket 2 ms at a time and let the message pump run, so the window stays alive and
// Abort, called from a pumped event, ends the transfer. Failures raise ESockError with the
// client's texts; an HTTP error status is no failure: it fires OnFailure.

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "net/HeaderList.h"
#include "net/Request.h"
#include "net/ResponseHeader.h"
#include "net/SockError.h"

namespace kestrin {

class BodyFile;

class TNMHTTP {
  public:
    using Event = std::function<void()>;
    using CommandEvent = std::function<void(HttpCommand)>;
    using HandledEvent = std::function<void(bool& handled)>;
    using StatusEvent = std::function<void(const std::string& status)>;

    // Bounds of our own, so that a hostile or broken server cannot exhaust memory.
    static constexpr int kMaxRedirects = 10;
    static constexpr std::size_t kMaxHeaderBytes = 1 << 20;
    static constexpr std::size_t kMaxMemoryBodyBytes = std::size_t{256} << 20;
    // Status texts come in at this level; ReportLevel 0 passes none of them to OnStatus.
    static constexpr int kStatusLevel = 1;

    TNMHTTP();
    ~TNMHTTP();
    TNMHTTP(const TNMHTTP&) = delete;
    TNMHTTP& operator=(const TNMHTTP&) = delete;

    void Get(const std::string& url);
    void Head(const std::string& url);
    // Marks the current transfer cancelled; its wait notices within one pass.
    void Abort() { aborted_ = true; }

    std::string Host;  // from the URL; an OnInvalidHost handler may replace it
    int Port = 80;
    int TimeOut = 30000;  // inactivity limit in ms
    int ReportLevel = 0;
    std::string Proxy;  // empty: direct connection
    int ProxyPort = 0;
    // Memory mode: the received body. File mode: the name of the file that receives it.
    std::string Body = "Default.htm";
    std::string Header;  // the received status line and header lines, each with its line end
    bool InputFileMode = false;
    THeaderInfo HeaderInfo;
    // A memory-mode body larger than this ends the transfer (tests lower it).
    std::size_t MaxMemoryBody = kMaxMemoryBodyBytes;
    // A file-mode body larger than this ends the transfer (the target stays as it was); by
    // default there is no bound, as a download may be large. Callers that expect a small file
    // set one, so that an endless body cannot fill the disk.
    std::size_t MaxFileBody = SIZE_MAX;

    // Events, in the order a transfer can fire them.
    HandledEvent OnInvalidHost;
    Event OnConnect;
    Event OnConnectionFailed;
    Event OnAboutToSend;
    Event OnPacketRecvd;
    CommandEvent OnSuccess;
    CommandEvent OnFailure;
    HandledEvent OnRedirect;
    Event OnAuthenticationNeeded;
    StatusEvent OnStatus;

    // The request header of the current transfer; OnAboutToSend handlers set lines by name.
    HeaderList& sendHeaders() { return sendHeaders_; }
    int replyNumber() const { return replyNumber_; }
    std::int64_t bytesTotal() const { return bytesTotal_; }
    std::int64_t bytesReceived() const { return bytesReceived_; }
    bool connected() const { return socket_ >= 0; }
    // The errno of the last socket failure; 0 when none.
    int lastErrorNumber() const { return lastError_; }
    // The last transfer ended because the inactivity limit passed (its text is the cancel text).
    bool timedOut() const { return timedOut_; }

  private:
    enum class Wait { Ready, Pending, Aborted, TimedOut };
    using Clock = std::chrono::steady_clock;

    void run(HttpCommand command, const std::string& url);
    // One request and its response; returns the URL to follow, or "" when the run is done.
    std::string transfer(HttpCommand command, const std::string& url);
    void connect();
    in_addr resolve();
    bool lookUp(const std::string& host, in_addr& address);
    void sendAll(const std::string& bytes);
    ResponseHeader readHeader();
    bool readLine(std::string& line);
    // Into Body, or into `file` in file mode.
    void readBody(HttpCommand command, BodyFile* file);
    void closeSocket();

    void restartTimer();
    Wait step(int fd, short events);
    Wait waitFor(int fd, short events);
    [[noreturn]] void raiseSocketError(int error);
    void status(const std::string& text);

    HeaderList sendHeaders_;
    int replyNumber_ = 0;
    std::int64_t bytesTotal_ = 0;
    std::int64_t bytesReceived_ = 0;
    int lastError_ = 0;
    int socket_ = -1;
    bool aborted_ = false;
    bool timedOut_ = false;
    bool running_ = false;
    Clock::time_point deadline_;
    std::string received_;  // bytes read past the current header line
};

}  // namespace kestrin
