#pragma once
// The decisions of the proxy tab: which controls are enabled, taking the proxy over from the
// browser settings, and the password edit's check.

#include <string>

namespace kestrin {

// Which of the tab's controls are enabled. The switch chkUseProxy itself always is.
struct ProxyEnabling {
    bool server = false;          // address, port, the browser button, authentication and cache
    bool authentication = false;  // the user ID and the password

    bool operator==(const ProxyEnabling&) const = default;
};

ProxyEnabling proxyEnabling(bool useProxy, bool authenticate);

// The message that the proxy was taken from the browser settings (takeBrowserProxy named a
// server): after btnGetProxyFromIE, and after loading settings whose proxy came from there.
void tellProxyFromBrowser();

// The check on leaving the password edit: true when the password can be stored, else the user
// is told why not.
bool passwordAccepted(const std::string& password);

}  // namespace kestrin
