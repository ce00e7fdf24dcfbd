#include "text/LineBreaks.h"

#include "text/ByteWords.h"

namespace kestrin {

namespace {

// The first CR or LF at or after `from`, or the length of the text. Lines of pages run to
// dozens of bytes, so the search looks at eight bytes at a time.
std::size_t findLineBreak(std::string_view text, std::size_t from) {
    using namespace bytewords;
    for (; from + 8 <= text.size(); from += 8) {
        const Word word = load(text.data() + from);
        const Word breaks = equalTo(word, '\r') | equalTo(word, '\n');
        if (breaks != 0) return from + firstByte(breaks);
    }
    while (from < text.size() && text[from] != '\r' && text[from] != '\n')
        ++from;
    return from;
}

}  // namespace

void appendReplacingLineBreaks(std::string& out, std::string_view text,
                               std::string_view replacement) {
    std::size_t copied = 0;
    for (std::size_t i = findLineBreak(text, 0); i < text.size(); i = findLineBreak(text, copied)) {
        out.append(text, copied, i - copied);
        out.append(replacement);
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
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
