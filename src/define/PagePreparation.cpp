#include "define/PagePreparation.h"

#include "text/Cp932.h"
#include "text/JapaneseConversion.h"
#include "text/LineBreaks.h"

namespace kestrin {

std::string PageToShiftJis(std::string_view page) {
    return ConvertCode(page, JapaneseCode::SJIS);
}

std::string PrepareScanText(std::string_view page, LetterCase letterCase) {
    std::string text = replaceLineBreaks(PageToShiftJis(page), " ");
    if (letterCase == LetterCase::Upper) text = cp932Upper(text);
    text += ">>";
    return text;
}

}  // namespace kestrin
