#include "define/PagePreparation.h"

#include "text/Cp932.h"
#include "text/JapaneseConversion.h"
#include "text/LineBreaks.h"

namespace kestrin {

std::string PageToShiftJis(std::string_view page) {
    return ConvertCode(page, JapaneseCode::SJIS);
}

std::string PrepareScanText(std::string_view page, LetterCase letterCase) {
    ScanTextBuffer buffer;
    return std::move(buffer.prepare(page, letterCase));
}

std::string& ScanTextBuffer::prepare(std::string_view page, LetterCase letterCase) {
    const std::string_view sjis =
        ConvertCodeInto(page, JapaneseCode::SJIS, converted_) ? std::string_view(converted_) : page;
    text_.clear();
    text_.reserve(sjis.size() + 2);
    appendReplacingLineBreaks(text_, sjis, " ");
    if (letterCase == LetterCase::Upper) cp932UpperInPlace(text_);
    text_ += ">>";
    return text_;
}

}  // namespace kestrin
