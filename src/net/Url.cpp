#include "net/Url.h"

#include <algorithm>
#include <cctype>

#include "net/SockError.h"
#include "text/Ascii.h"

namespace kestrin {

namespace {
int defaultPort(const std::string& url) {
    const auto colon = url.find(':');
    if (colon == std::string::npos) return 80;
    const std::string scheme = asciiLowered(url.substr(0, colon));
    if (scheme == "https") throw ESockError("HTTP Secure Socket is not supported");
    if (scheme == "gopher") return 70;
    if (scheme == "ftp") return 21;
    return 80;
}

// A port that is not a number between 1 and 65535 leaves the scheme's port in place.
int parsePort(const std::string& text, int fallback) {
    if (text.empty() || text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return fallback;
    const int port = std::stoi(text);
    return port >= 1 && port <= 65535 ? port : fallback;
}
}  // namespace

SplitUrl splitUrl(const std::string& url) {
    if (url.empty()) throw ESockError("Empty URL");
    SplitUrl split;
    split.url = url;
    split.port = defaultPort(url);

    // "//" introduces the host only where it is the first slash; one inside a path does not.
    const auto slashes = url.find("//");
    const std::size_t hostStart =
        slashes != std::string::npos && slashes == url.find('/') ? slashes + 2 : 0;
    const auto hostEnd = url.find('/', hostStart);
    std::string host = url.substr(
        hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
    split.path = hostEnd == std::string::npos ? std::string(1, '/') : url.substr(hostEnd);
    if (hostEnd == std::string::npos) split.url.push_back('/');
    const auto colon = host.find(':');
    if (colon != std::string::npos) {
        split.port = parsePort(host.substr(colon + 1), split.port);
        host.erase(colon);
    }
    split.host = host;
    return split;
}

}  // namespace kestrin
