#pragma once
// Eight bytes at a time for the loops that walk whole pages. A mask has the high bit (0x80) of
// every byte that passes a test and nothing else, exact for each byte (no borrow or carry
// crosses from one byte into the next); byte k of a word is the text's byte at offset k.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace kestrin::bytewords {

using Word = std::uint64_t;

constexpr Word kOnes = 0x0101010101010101u;
constexpr Word kHighBits = kOnes * 0x80;
constexpr Word kLowBits = kOnes * 0x7F;

// The eight bytes at `p` (byte 0 lowest), whatever the machine's byte order.
inline Word load(const char* p) {
    Word word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

inline void store(char* p, Word word) {
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    std::memcpy(p, &word, sizeof word);
}

// Bytes equal to `c`.
constexpr Word equalTo(Word word, unsigned char c) {
    const Word x = word ^ kOnes * c;  // 0 where equal
    return ~(((x & kLowBits) + kLowBits) | x) & kHighBits;
}

// Not 0 when some byte is below `n` (at most 0x80), and 0 when none is: cheaper than a mask
// (a borrow may mark bytes after the first one below `n`).
constexpr Word someBelow(Word word, unsigned char n) {
    return (word - kOnes * n) & ~word & kHighBits;
}

// Bytes from `low` to `high`, both below 0x80 or both at least 0x80.
constexpr Word inRange(Word word, unsigned char low, unsigned char high) {
    const Word low7 = word & kLowBits;  // adding to it never carries into the next byte
    const Word atLeastLow = low7 + kOnes * (0x80 - (low & 0x7F));
    const Word aboveHigh = low7 + kOnes * (0x7F - (high & 0x7F));
    const Word side = low < 0x80 ? ~word : word;
    return atLeastLow & ~aboveHigh & side & kHighBits;
}

// A mask as eight bits, bit k for byte k.
constexpr std::uint8_t toBits(Word mask) {
    // The multiplier moves the bit of byte k to bit 56 + k; no two of the products overlap.
    return static_cast<std::uint8_t>(((mask >> 7) * 0x0102040810204080u) >> 56);
}

namespace detail {
constexpr std::array<Word, 256> masksOfBits() {
    std::array<Word, 256> masks{};
    for (unsigned bits = 0; bits < 256; ++bits) {
        for (int k = 0; k < 8; ++k)
            masks[bits] |= Word{bits >> k & 1u} << (8 * k + 7);
    }
    return masks;
}
inline constexpr std::array<Word, 256> kMasksOfBits = masksOfBits();
}  // namespace detail

// Eight bits as a mask, byte k for bit k.
constexpr Word fromBits(std::uint8_t bits) {
    return detail::kMasksOfBits[bits];
}

// The offset of the first byte of a mask that is not 0.
constexpr int firstByte(Word mask) {
    return std::countr_zero(mask) / 8;
}

}  // namespace kestrin::bytewords
