#pragma once
// The request header of one transfer, built by the system's conventions: request line, Host,
// the two Accept lines, the HeaderInfo values, the form content type and the per-kind lines.

#include <cstddef>
#include <string>

#include "net/HeaderList.h"

namespace kestrin {

// The request kinds; the number is the command code passed to OnSuccess and OnFailure.
enum class HttpCommand {
    Get = 0,
    Options,
    Head,
    Post,
    Put,
    Patch,
    Copy,
    Move,
    Delete,
    Link,
    Unlink,
    Trace,
    Wrapped
};

// "Get Failed", "Options Failed", ... for the main window's failure message.
std::string failureText(HttpCommand command);

// Values of request header lines; empty ones are not sent.
struct THeaderInfo {
    std::string LocalMailAddress;  // From
    std::string LocalProgram;      // User-Agent
    std::string Cookie;            // filled by the client from a redirect's Set-Cookie
    std::string Referer;
    std::string UserId;  // Authorization (Basic) when both are set
    std::string Password;
};

struct RequestTarget {
    std::string url;   // the whole URL: the target when going through a proxy
    std::string path;  // the target of a direct request
    std::string host;
    bool viaProxy = false;
    std::size_t bodySize = 0;  // for the kinds that carry a body
    std::string targetUri;     // COPY and MOVE destination, LINK and UNLINK link
};

void buildRequestHeaders(HeaderList& headers, HttpCommand command, const RequestTarget& target,
                         const THeaderInfo& info);

}  // namespace kestrin
