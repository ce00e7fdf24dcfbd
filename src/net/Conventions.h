#pragma once
// The request conventions both users of TNMHTTP apply: the same User-Agent and time-out, the
// proxy from the settings, and the headers their OnAboutToSend handlers set.

#include "net/NMHTTP.h"
#include "net/ProxySettings.h"

namespace kestrin {

inline constexpr char kUserAgent[] = "Kestrin/2001c (available at www.kestrin.example)";
inline constexpr int kTransferTimeOut = 30000;

// What both users set when they create their client: User-Agent and the inactivity limit.
void prepareClient(TNMHTTP& http);

// Proxy and ProxyPort from the settings; empty and 0 when no proxy is in use.
void useProxy(TNMHTTP& http, const ProxySettings& proxy);

// "Connection: close" always; "Pragma: no-cache" and Basic "Proxy-Authorization" when a proxy
// is in use and the settings ask for them. Set by name, so each ends up once, at the end.
void setClosingHeaders(HeaderList& headers, const ProxySettings& proxy);

}  // namespace kestrin
