#include "app/NumberEdit.h"

#include <algorithm>

#include "app/Settings.h"
#include "platform/Dialogs.h"

namespace kestrin {

bool isNumberText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool numberEditAccepted(std::string_view text) {
    if (isNumberText(text)) return true;
    tellNotANumber();
    return false;
}

void tellNotANumber() {
    dialogs().messageBox("整数を指定して下さい", "不正な文字", DialogIcon::Error,
                         DialogButtons::Ok);
}

int numberOr(std::string_view text, int fallback) {
    return decimalNumber(text).value_or(fallback);
}

}  // namespace kestrin
