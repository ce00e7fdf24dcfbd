#pragma once
// Detection of the Japanese encoding of a text (JIS, EUC-JP, Shift_JIS) and conversion between
// them with the standard arithmetic correspondence. Pure functions on byte strings: no state,
// no errors, and no read past the end of the input. Where a rule looks at the byte just past
// the end, it sees a virtual 0 byte (the text's terminating zero).

#include <array>
#include <string>
#include <string_view>

namespace kestrin {

// The result of DetectCode and the target of ConvertCode. The numbers are part of the
// interface (diagnostics print them).
enum class JapaneseCode : int {
    ASCII = 0,        // no byte that belongs to a Japanese encoding was found
    BINARY = 1,       // a byte below 0x08 or the byte 0xFF: not text
    JIS_NEW = 2,      // JIS, two-byte mode announced by ESC $ B
    JIS_OLD = 3,      // JIS, two-byte mode announced by ESC $ @
    EUC = 4,          // EUC-JP
    SJIS = 5,         // Shift_JIS
    EUC_OR_SJIS = 6,  // the bytes seen fit both EUC-JP and Shift_JIS
};

// "ASCII", "BINARY", ... as written above; "?" for a number outside 0-6.
std::string_view JapaneseCodeName(JapaneseCode code);

JapaneseCode DetectCode(std::string_view text);

// Converts `text` to `target` when its detected encoding is known and differs from the target;
// otherwise (ASCII, BINARY, EUC_OR_SJIS, already the target, or a target other than JIS_NEW,
// EUC and SJIS) returns it unchanged.
std::string ConvertCode(std::string_view text, JapaneseCode target);
// ConvertCode into `out`, whose contents are replaced and whose capacity is reused; false, and
// `out` untouched, when the text stays as it is.
bool ConvertCodeInto(std::string_view text, JapaneseCode target, std::string& out);

using BytePair = std::array<unsigned char, 2>;

// JIS X 0208 row and cell bytes <-> Shift_JIS bytes, in eight-bit arithmetic.
BytePair JisCharToSjis(unsigned char j1, unsigned char j2);
BytePair SjisCharToJis(unsigned char s1, unsigned char s2);

std::string JisToSjis(std::string_view text);
std::string EucToSjis(std::string_view text);
std::string JisToEuc(std::string_view text);
std::string SjisToEuc(std::string_view text);
std::string EucToJis(std::string_view text);
std::string SjisToJis(std::string_view text);

}  // namespace kestrin
