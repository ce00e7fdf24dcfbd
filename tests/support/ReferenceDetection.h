#pragma once
// A plain implementation of the rules of the encoding detection, byte by byte as they are
// written: the yardstick the fast detection is compared with.

#include <string_view>

#include "text/JapaneseConversion.h"

namespace kestrin::test {

JapaneseCode referenceDetectCode(std::string_view text);

}  // namespace kestrin::test
