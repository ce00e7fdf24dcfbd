#include "define/PagePreparation.h"

#include "text/Cp932.h"
#include "text/JapaneseConversion.h"

namespace kestrin {

namespace {

using namespace bytewords;

// CR and LF among eight bytes. Most words have no byte below 0x0E at all, which is quicker
// to tell.
Word lineBreaks(Word word) {
    if (someBelow(word, 0x0E) == 0) return 0;
    return equalTo(word, '\r') | equalTo(word, '\n');
}

// Every line break (CR LF, a lone CR or a lone LF) becomes one space and, when asked, the
// single-byte letters are upper-cased, in one pass and in place: the text only shrinks, so
// what is written never overtakes what is still to be read. Eight bytes at a time; the bytes
// before a line break are written one by one, so nothing unread is overwritten.
template <bool upper>
void spaceLinesInPlace(std::string& text) {
    char* const data = text.data();
    const std::size_t n = text.size();
    Cp932Walk walk;  // followed only when upper-casing
    std::size_t read = 0, written = 0;
    const auto lineBreak = [&] {
        const bool crLf = data[read] == '\r' && read + 1 < n && data[read + 1] == '\n';
        read += crLf ? 2 : 1;
        data[written++] = ' ';
        walk = Cp932Walk();  // the space ends the character a lead byte began, or stands alone
    };
    while (read + 8 <= n) {
        Word word = load(data + read);
        if constexpr (upper) word ^= (inRange(word, 'a', 'z') & ~walk.secondBytes(word)) >> 2;
        const Word breaks = lineBreaks(word);
        if (breaks == 0) {
            store(data + written, word);
            read += 8;
            written += 8;
            continue;
        }
        // Only the bytes before the line break are taken: where characters stand after it
        // differs from what the walk saw, so the rest is read again after the break.
        for (int k = firstByte(breaks); k > 0; --k, word >>= 8)
            data[written++] = static_cast<char>(word & 0xFF);
        read += firstByte(breaks);
        lineBreak();
    }
    for (; read < n;) {
        const auto c = static_cast<unsigned char>(data[read]);
        if (c == '\r' || c == '\n') {
            lineBreak();
            continue;
        }
        const bool second = upper && walk.secondByte(c);
        data[written++] =
            static_cast<char>(upper && !second && c >= 'a' && c <= 'z' ? c ^ 0x20 : c);
        ++read;
    }
    text.resize(written);
}

}  // namespace

std::string PageToShiftJis(std::string_view page) {
    return ConvertCode(page, JapaneseCode::SJIS);
}

std::string PrepareScanText(std::string_view page, LetterCase letterCase) {
    ScanTextBuffer buffer;
    return std::move(buffer.prepare(page, letterCase));
}

std::string& ScanTextBuffer::prepare(std::string_view page, LetterCase letterCase) {
    if (!ConvertCodeInto(page, JapaneseCode::SJIS, text_)) text_.assign(page);
    return finish(letterCase);
}

std::string& ScanTextBuffer::prepare(std::string&& page, LetterCase letterCase) {
    if (!ConvertCodeInto(page, JapaneseCode::SJIS, text_)) text_ = std::move(page);
    return finish(letterCase);
}

std::string& ScanTextBuffer::finish(LetterCase letterCase) {
    if (letterCase == LetterCase::Upper) {
        spaceLinesInPlace<true>(text_);
    } else {
        spaceLinesInPlace<false>(text_);
    }
    text_ += ">>";
    return text_;
}

}  // namespace kestrin
