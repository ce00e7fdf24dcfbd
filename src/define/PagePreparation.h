#pragma once
// A fetched page as the scanner sees it. The check engine, the define wizard and the
// diagnostics all prepare pages through here, so they see the same bytes.

#include <string>
#include <string_view>

namespace kestrin {

// The page converted to Shift_JIS when its Japanese encoding is recognised, else unchanged.
std::string PageToShiftJis(std::string_view page);

enum class LetterCase { Keep, Upper };

// The text the tag scan runs over: the page in Shift_JIS, every line break as one space,
// single-byte letters upper-cased when asked (never the second byte of a double-byte
// character), and the sentinel ">>" appended, so that every "<" has a ">" after it.
std::string PrepareScanText(std::string_view page, LetterCase letterCase);

}  // namespace kestrin
