#include "text/LineBreaks.h"

namespace kestrin {

void appendReplacingLineBreaks(std::string& out, std::string_view text,
                               std::string_view replacement) {
    std::size_t copied = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        out.append(text, copied, i - copied);
        out.append(replacement);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        copied = i + 1;
    }
    out.append(text, copied);
}

std::string replaceLineBreaks(std::string_view text, std::string_view replacement) {
    std::string out;
    out.reserve(text.size());
    appendReplacingLineBreaks(out, text, replacement);
    return out;
}

}  // namespace kestrin
