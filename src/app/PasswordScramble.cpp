#include "app/PasswordScramble.h"

#include <cstdlib>
#include <stdexcept>

#include "platform/VolumeSerial.h"
#include "text/Cp932.h"

namespace kestrin {

namespace {

constexpr int kFirstPrintable = 32;
constexpr int kLastPrintable = 126;
constexpr int kPrintableCount = 95;
constexpr int kWrapAt = 125;

// Remainders truncate (the sign follows the key), then lose their sign.
int baseShift(std::int32_t key) {
    return std::abs(key % 73);
}

// The shift of the 1-based position `i` (defined up to kMaxPasswordLength).
int positionShift(std::int32_t key, std::size_t i) {
    return std::abs(key % (23 - static_cast<int>(i)));
}

}  // namespace

std::string passwordProblem(std::string_view password) {
    for (unsigned char c : password) {
        if (c < kFirstPrintable || c > kLastPrintable)
            return "パスワードには半角の英数字と記号(空白を含む)だけが使えます";
    }
    if (password.size() > kMaxPasswordLength)
        return "パスワードは" + std::to_string(kMaxPasswordLength) + "文字以内で指定して下さい";
    return "";
}

std::string scramblePassword(std::string_view password, std::int32_t key) {
    if (auto problem = passwordProblem(password); !problem.empty())
        throw std::invalid_argument(problem);
    std::string bytes = utf8ToCp932(password);
    const int base = baseShift(key);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int c = static_cast<unsigned char>(bytes[i]) + base + positionShift(key, i + 1);
        if (c >= kWrapAt) c -= kPrintableCount;
        bytes[i] = static_cast<char>(c);
    }
    return cp932ToUtf8(bytes);
}

std::string unscramblePassword(std::string_view stored, std::int32_t key) {
    // Scrambled text is ASCII, the same in UTF-8 and CP932; check it before converting, since
    // the conversion would turn a stray character into "?".
    if (stored.size() > kMaxPasswordLength) return "";
    for (unsigned char c : stored) {
        if (c < kWrapAt - kPrintableCount || c >= kWrapAt) return "";
    }
    std::string bytes = utf8ToCp932(stored);
    const int base = baseShift(key);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int c = static_cast<unsigned char>(bytes[i]) - base - positionShift(key, i + 1);
        if (c < kFirstPrintable) c += kPrintableCount;
        bytes[i] = static_cast<char>(c);
    }
    return cp932ToUtf8(bytes);
}

std::string scramblePassword(std::string_view password) {
    return scramblePassword(password, static_cast<std::int32_t>(volumeSerial()));
}

std::string unscramblePassword(std::string_view stored) {
    return unscramblePassword(stored, static_cast<std::int32_t>(volumeSerial()));
}

}  // namespace kestrin
