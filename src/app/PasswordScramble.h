#pragma once
// The stored proxy password is scrambled with a key of this machine (its volume serial), so
// the settings store never holds it as plain text and the same data read on another machine
// gives a different password. Only printable ASCII (32-126), at most 22 characters, survives
// the round trip; anything else is refused before it is stored.

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrin {

inline constexpr std::size_t kMaxPasswordLength = 22;
inline constexpr const char* kPasswordErrorCaption = "パスワードエラー";

// "" when `password` can be stored; else the message telling the user why not. The password
// edit checks with it, and so does saving the settings.
std::string passwordProblem(std::string_view password);

// Scrambles with `key` (the volume serial taken as signed). Raises std::invalid_argument for
// a password passwordProblem refuses.
std::string scramblePassword(std::string_view password, std::int32_t key);
// The inverse. A stored text that no scrambling gives (too long, or a byte outside 30-124)
// reads as "" so that the user simply enters the password again.
std::string unscramblePassword(std::string_view stored, std::int32_t key);

// The same with the key of this machine, volumeSerial().
std::string scramblePassword(std::string_view password);
std::string unscramblePassword(std::string_view stored);

}  // namespace kestrin
