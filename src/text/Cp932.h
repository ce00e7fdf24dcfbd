#pragma once
// Code page 932 (Shift_JIS) at the boundaries: profile files, HTML scanning and the stored
// password are CP932 bytes; everything else in the program is UTF-8.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/ByteWords.h"

namespace kestrin {

// True for a byte that starts a double-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
constexpr bool isCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

namespace cp932detail {
// Where the characters of eight bytes stand, by which of them could lead (as bits): a byte
// that could lead does lead unless it is a second byte itself. For each of the two ways the
// first byte can stand (16 bits each, the low ones for a first byte that starts a character):
// which bytes are second bytes (bits 0-7), and whether the byte after them is one (bit 8).
// Both ways in one entry, so a walk looks up the next eight bytes before it knows the way.
constexpr std::array<std::uint32_t, 256> secondBytesTable() {
    std::array<std::uint32_t, 256> table{};
    for (unsigned leads = 0; leads < 256; ++leads) {
        for (unsigned first = 0; first < 2; ++first) {
            std::uint32_t entry = 0;
            bool second = first == 1;
            for (int k = 0; k < 8; ++k) {
                if (second) entry |= 1u << k;
                second = !second && (leads >> k & 1u);
            }
            if (second) entry |= 1u << 8;
            table[leads] |= entry << 16 * first;
        }
    }
    return table;
}

inline constexpr std::array<std::uint32_t, 256> kSecondBytes = secondBytesTable();
}  // namespace cp932detail

// Where the characters of a CP932 text stand, followed from its start eight bytes or one byte
// at a time: which bytes are second bytes of double-byte characters, and so never letters or
// delimiters, whatever their value.
class Cp932Walk {
  public:
    // The second bytes among the next eight (a bytewords mask).
    bytewords::Word secondBytes(bytewords::Word word) {
        using namespace bytewords;
        if (!second_ && (word & kHighBits) == 0) return 0;  // plain ASCII
        // Flipping bit 5 moves the lead bytes 0x81-0x9F and 0xE0-0xFC together to 0xA1-0xDC.
        const Word leads = inRange(word ^ kOnes * 0x20, 0xA1, 0xDC);
        const std::uint32_t entry = cp932detail::kSecondBytes[toBits(leads)] >> 16 * second_;
        second_ = entry >> 8 & 1u;
        return fromBits(static_cast<std::uint8_t>(entry));
    }
    // Whether the next byte is a second byte.
    bool secondByte(unsigned char c) {
        const bool second = second_;
        second_ = !second && isCp932LeadByte(c);
        return second;
    }

  private:
    bool second_ = false;  // the next byte is a second byte
};

// CP932 bytes to UTF-8; a byte sequence that is not CP932 becomes "?".
std::string cp932ToUtf8(std::string_view cp932);
// UTF-8 to CP932 bytes; a character CP932 lacks (or a broken UTF-8 sequence) becomes "?".
std::string utf8ToCp932(std::string_view utf8);

// ASCII letters upper- / lower-cased; the second byte of a double-byte character is left alone.
std::string cp932Upper(std::string_view cp932);
std::string cp932Lower(std::string_view cp932);
void cp932UpperInPlace(std::string& cp932);
void cp932LowerInPlace(std::string& cp932);

}  // namespace kestrin
