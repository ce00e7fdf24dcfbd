#pragma once
// The proxy values all transfers use (the proxy page of the settings), and taking the proxy
// over from the browser settings.

#include <optional>
#include <string>

namespace kestrin {

struct ProxySettings {
    bool UseProxy = false;
    std::string ProxyAddress;
    int ProxyPort = 0;
    bool UseAuthenticate = false;
    std::string UserID;
    std::string Password;
    bool DisableProxyCache = false;

    // A proxy is in use when it is switched on and names a host.
    bool inUse() const { return UseProxy && !ProxyAddress.empty(); }
};

// The key of the store where the browser keeps its proxy ("ProxyServer", "ProxyEnable").
inline constexpr char kInternetSettingsKey[] =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// What the browser settings say about the proxy, for the proxy page's controls.
struct BrowserProxy {
    bool hasServer = false;  // a proxy server is named: address and port hold it
    std::string address;
    std::string port;             // as text, for the port edit
    std::optional<bool> enabled;  // nullopt: the settings do not say; leave the switch alone
};

// Reads the proxy from the Internet Settings key of the user's settings store. When that key
// holds no "ProxyServer", the http_proxy (or HTTP_PROXY) environment variable stands in for it,
// as a proxy that is switched on. Of a per-protocol list ("http=...;ftp=...") only the http
// entry counts; a server named without a port gets port 80.
BrowserProxy proxyFromBrowserSettings();

}  // namespace kestrin
