#pragma once
// The About window's decisions: the version text and the three contact links.

#include <functional>
#include <string>
#include <string_view>

namespace kestrin {

// The project's web site, its support site and its support mail address.
inline constexpr const char* kProjectSite = "https://kestrin.example.org/";
inline constexpr const char* kSupportSite = "https://kestrin.example.org/support/";
inline constexpr const char* kSupportMail = "support@kestrin.example.org";

// "Version " + a + "." + b + c, then " " + the description when there is one, then
// " (Build " + d + ")", from a file version "a.b.c.d": "3.0.5.360" gives
// "Version 3.05 (Build 360)". Fields are trimmed; a missing field is empty.
std::string aboutVersionText(std::string_view fileVersion, std::string_view fileDescription);
// The version text of this program.
std::string ownAboutVersionText();

// Hands an address to the desktop; true when it was handed on.
using OpenAddress = std::function<bool(const std::string& address)>;

// The mail link: first the request to read the support help ("ヘルプ参照のお願い", through the
// dialog service), then a new mail to `address` in the user's mail program.
bool openSupportMail(const std::string& address, const OpenAddress& open);

}  // namespace kestrin
