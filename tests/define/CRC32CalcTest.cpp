#include "define/CRC32Calc.h"

#include <gtest/gtest.h>

#include <random>

#include "support/ReferenceScanner.h"

namespace kestrin {
namespace {

TEST(CRC32Calc, GivesTheStandardChecksum) {
    const std::pair<std::string, std::uint32_t> cases[] = {
        {"", 0},
        {"a", 0xE8B7BE43},
        {"123456789", 0xCBF43926},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339},
        {"ABC>>", 0x60D4231D},
    };
    TCRC32Calc calc;
    for (const auto& [bytes, crc] : cases)
        EXPECT_EQ(calc.CalcBuffer(bytes), crc) << bytes;
    EXPECT_EQ(calc.CalcBuffer(nullptr, 10), 0u);
}

// Sixteen bytes at a time must equal one byte at a time, for every length and alignment.
TEST(CRC32Calc, EqualsThePlainTableCalculation) {
    std::mt19937 random(2001);
    std::string data(1100, '\0');
    for (char& c : data)
        c = static_cast<char>(random());
    TCRC32Calc calc;
    for (std::size_t offset = 0; offset < 16; ++offset) {
        for (std::size_t length = 0; length + offset <= data.size(); length += 1 + length / 16) {
            const std::string_view bytes = std::string_view(data).substr(offset, length);
            ASSERT_EQ(calc.CalcBuffer(bytes), test::referenceCrc32(bytes))
                << "offset " << offset << " length " << length;
        }
    }
}

TEST(CRC32Calc, RefusesASecondCalculationWhileBusy) {
    TCRC32Calc calc;
    calc.CalcBuffer("abc");
    EXPECT_FALSE(calc.Busy);
    calc.Busy = true;
    try {
        calc.CalcBuffer("abc");
        FAIL() << "no error while busy";
    } catch (const ECRC32CalcError& error) {
        EXPECT_STREQ(error.what(), "CRC Calc is Busy");
    }
}

TEST(CRC32Calc, AcceptsBufferSizesFrom4KiBTo1MiB) {
    EXPECT_EQ(TCRC32Calc().BufferSize, 4096);
    const std::pair<int, bool> cases[] = {
        {4095, false}, {4096, true}, {65536, true}, {1048576, true}, {1048577, false}};
    for (auto [size, valid] : cases)
        EXPECT_EQ(TCRC32Calc::IsValidBufferSize(size), valid) << size;
}

}  // namespace
}  // namespace kestrin
