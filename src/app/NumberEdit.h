#pragma once
// The numeric edits of the setting-up tabs (the proxy port, the clock's time-out and allowable
// error) take digits only; their text is checked each time the focus leaves them.

#include <string_view>

namespace kestrin {

// Every character is "0" to "9"; an empty text passes.
bool isNumberText(std::string_view text);

// The check on leaving a numeric edit: true when the text passes, else the user is told (and
// the edit takes the focus back).
bool numberEditAccepted(std::string_view text);

// Tells the user that a numeric edit holds something other than digits.
void tellNotANumber();

// The value of a numeric edit's text, or `fallback` when it holds no number (empty, or beyond
// the range of int).
int numberOr(std::string_view text, int fallback);

}  // namespace kestrin
