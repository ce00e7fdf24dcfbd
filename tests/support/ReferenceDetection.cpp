#include "support/ReferenceDetection.h"

namespace kestrin::test {

namespace {

using enum JapaneseCode;

// Positions count from 1; the byte just past the end is the terminating 0.
unsigned char at(std::string_view text, std::size_t position) {
    return position <= text.size() ? static_cast<unsigned char>(text[position - 1]) : 0;
}

bool in(unsigned char c, unsigned char low, unsigned char high) {
    return c >= low && c <= high;
}

}  // namespace

JapaneseCode referenceDetectCode(std::string_view text) {
    const std::size_t length = text.size();
    const std::size_t tested = length == 0 ? 0 : (length - 1 < 512 ? length - 1 : 512);
    for (std::size_t p = 1; p <= tested; ++p) {
        if (at(text, p) < 0x08 || at(text, p) == 0xFF) return BINARY;
    }
    JapaneseCode code = ASCII;
    std::size_t cursor = 1;
    while ((code == ASCII || code == EUC_OR_SJIS) && cursor < length) {
        const unsigned char c = at(text, cursor), c2 = at(text, cursor + 1);
        std::size_t lastLooked = cursor;
        if (c == 0x1B) {
            lastLooked = cursor + 1;
            if (c2 == 0x24) {
                lastLooked = cursor + 2;
                if (at(text, cursor + 2) == 0x42) code = JIS_NEW;
                if (at(text, cursor + 2) == 0x40) code = JIS_OLD;
            }
        } else if (c < 0x08 || c == 0xFF) {
            code = BINARY;
        } else if (in(c, 0x81, 0x8D) || in(c, 0x8F, 0x9F)) {
            code = SJIS;
        } else if (c == 0x8E) {
            lastLooked = cursor + 1;
            if (in(c2, 0x40, 0x7E) || in(c2, 0x80, 0xA0) || in(c2, 0xE0, 0xFC)) code = SJIS;
            if (in(c2, 0xA1, 0xDF)) code = EUC_OR_SJIS;
        } else if (in(c, 0xA1, 0xDF)) {
            lastLooked = cursor + 1;
            if (in(c2, 0xF0, 0xFE)) {
                code = EUC;
            } else if (in(c2, 0xA1, 0xDF)) {
                code = EUC_OR_SJIS;
            } else if (in(c2, 0xE0, 0xEF)) {
                // The run rule: from c2 on while the byte is at least 0x40, within the text
                // and the code undecided; the byte that ends the run is consumed with it.
                code = EUC_OR_SJIS;
                std::size_t p = cursor + 1;
                while (at(text, p) >= 0x40 && p <= length && code == EUC_OR_SJIS) {
                    if (in(at(text, p), 0x81, 0x8D) || in(at(text, p), 0x8F, 0x9C)) code = SJIS;
                    if (at(text, p) == 0xFD || at(text, p) == 0xFE) code = EUC;
                    ++p;
                }
                lastLooked = p;
            } else if (c2 <= 0x9F) {
                code = SJIS;
            }
        } else if (in(c, 0xE0, 0xEF)) {
            lastLooked = cursor + 1;
            if (in(c2, 0x40, 0x7E) || in(c2, 0x80, 0xA0)) {
                code = SJIS;
            } else if (in(c2, 0xFD, 0xFE)) {
                code = EUC;
            } else if (in(c2, 0xA1, 0xFC)) {
                code = EUC_OR_SJIS;
            }
        } else if (in(c, 0xF0, 0xFE)) {
            code = EUC;
        }
        cursor = lastLooked + 1;
    }
    return code;
}

}  // namespace kestrin::test
