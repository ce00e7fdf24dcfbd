#pragma once
// Line breaks of texts from the network, which may end lines in CR LF, CR or LF.

#include <string>
#include <string_view>

namespace kestrin {

// Appends `text` to `out` with every line break (CR LF, a lone CR or a lone LF) replaced by
// `replacement`.
void appendReplacingLineBreaks(std::string& out, std::string_view text,
                               std::string_view replacement);

// `text` with every line break replaced; "\r\n" normalises the text to CR LF.
std::string replaceLineBreaks(std::string_view text, std::string_view replacement);

}  // namespace kestrin
