#pragma once
// Line breaks of texts from the network, which may end lines in CR LF, CR or LF.

#include <string>
#include <string_view>

namespace kestrin {

// Every line break (CR LF, a lone CR or a lone LF) replaced by `replacement`; "\r\n" normalises
// the text to CR LF.
std::string replaceLineBreaks(std::string_view text, std::string_view replacement);

}  // namespace kestrin
