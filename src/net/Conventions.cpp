#include "net/Conventions.h"

#include "text/Base64.h"

namespace kestrin {

void prepareClient(TNMHTTP& http) {
    http.HeaderInfo.LocalProgram = kUserAgent;
    http.TimeOut = kTransferTimeOut;
}

void useProxy(TNMHTTP& http, const ProxySettings& proxy) {
    http.Proxy = proxy.inUse() ? proxy.ProxyAddress : std::string();
    http.ProxyPort = proxy.inUse() ? proxy.ProxyPort : 0;
}

void setClosingHeaders(HeaderList& headers, const ProxySettings& proxy) {
    headers.setByName("Connection", "close");
    if (!proxy.inUse()) return;
    if (proxy.DisableProxyCache) headers.setByName("Pragma", "no-cache");
    if (proxy.UseAuthenticate)
        headers.setByName("Proxy-Authorization",
                          "Basic " + EncodeBase64(proxy.UserID + ":" + proxy.Password));
}

}  // namespace kestrin
