#pragma once
// UTF-8 as other programs demand it: the session bus refuses a string that is not UTF-8.

#include <string>
#include <string_view>

namespace kestrin {

// The text with every byte that does not belong to a valid UTF-8 sequence (a stray
// continuation byte, an overlong form, a surrogate, a cut-off sequence) replaced by U+FFFD.
std::string toValidUtf8(std::string_view text);

}  // namespace kestrin
