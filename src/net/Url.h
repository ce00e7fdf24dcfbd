#pragma once
// Splits a URL the way the HTTP client addresses a server: scheme only for the default port,
// host with an optional ":port", and the path sent as the request target.

#include <string>

namespace kestrin {

struct SplitUrl {
    std::string url;   // the URL as requested; "/" appended when it names no path
    std::string host;  // empty when the URL names none (the client keeps its last host)
    int port = 80;
    std::string path;  // from the first "/" after the host; "/" when there is none
};

// Raises ESockError "Empty URL" or "HTTP Secure Socket is not supported".
SplitUrl splitUrl(const std::string& url);

}  // namespace kestrin
