#pragma once
// The proxy values all transfers use (the proxy page of the settings), and taking the proxy
// over from the browser settings.

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

}  // namespace kestrin
