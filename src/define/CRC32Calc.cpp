#include "define/CRC32Calc.h"

#include <array>

namespace kestrin {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

using Tables = std::array<std::array<std::uint32_t, 256>, 16>;

// tables[0] is the plain byte table; tables[k][b] is the CRC of byte b followed by k zero
// bytes, so sixteen bytes can be folded in with sixteen independent look-ups.
constexpr Tables makeTables() {
    Tables tables{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t crc = b;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? crc >> 1 ^ kPolynomial : crc >> 1;
        tables[0][b] = crc;
    }
    for (std::size_t k = 1; k < 16; ++k) {
        for (std::uint32_t b = 0; b < 256; ++b) {
            const std::uint32_t previous = tables[k - 1][b];
            tables[k][b] = previous >> 8 ^ tables[0][previous & 0xFF];
        }
    }
    return tables;
}

constexpr Tables kTables = makeTables();

std::uint32_t littleEndian32(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::uint32_t crc32(const unsigned char* p, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (; length >= 16; p += 16, length -= 16) {
        const std::uint32_t a = littleEndian32(p) ^ crc, b = littleEndian32(p + 4);
        const std::uint32_t c = littleEndian32(p + 8), d = littleEndian32(p + 12);
        crc = kTables[15][a & 0xFF] ^ kTables[14][a >> 8 & 0xFF] ^ kTables[13][a >> 16 & 0xFF] ^
              kTables[12][a >> 24] ^ kTables[11][b & 0xFF] ^ kTables[10][b >> 8 & 0xFF] ^
              kTables[9][b >> 16 & 0xFF] ^ kTables[8][b >> 24] ^ kTables[7][c & 0xFF] ^
              kTables[6][c >> 8 & 0xFF] ^ kTables[5][c >> 16 & 0xFF] ^ kTables[4][c >> 24] ^
              kTables[3][d & 0xFF] ^ kTables[2][d >> 8 & 0xFF] ^ kTables[1][d >> 16 & 0xFF] ^
              kTables[0][d >> 24];
    }
    for (; length > 0; ++p, --length)
        crc = crc >> 8 ^ kTables[0][(crc ^ *p) & 0xFF];
    return ~crc;
}

// Clears Busy however the calculation ends.
class BusyGuard {
  public:
    explicit BusyGuard(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyGuard() { busy_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

  private:
    bool& busy_;
};

}  // namespace

std::uint32_t TCRC32Calc::CalcBuffer(const void* buffer, std::size_t length) {
    if (Busy) throw ECRC32CalcError();
    BusyGuard guard(Busy);
    if (buffer == nullptr || length == 0) return 0;
    return crc32(static_cast<const unsigned char*>(buffer), length);
}

}  // namespace kestrin
