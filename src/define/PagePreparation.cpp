#include "define/PagePreparation.h"

#include "text/Cp932.h"
#include "text/JapaneseConversion.h"
#include "text/LineBreaks.h"

namespace kestrin {

std::string PageToShiftJis(std::string_view page) {
    return ConvertCode(page, JapaneseCode::SJIS);
}

std::string PrepareScanText(std::string_view page, LetterCase letterCase) {
    const std::string sjis = PageToShiftJis(page);
    std::string text;
    text.reserve(sjis.size() + 2);
    appendReplacingLineBreaks(text, sjis, " ");
    if (letterCase == LetterCase::Upper) cp932UpperInPlace(text);
    text += ">>";
    return text;
}

}  // namespace kestrin
