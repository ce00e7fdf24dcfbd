// kestrin-cli sjis FILE: the page as the scanner sees it, converted to Shift_JIS.

#include <iostream>

#include "cli/Command.h"
#include "cli/InputFile.h"
#include "define/PagePreparation.h"

namespace kestrin::cli {
namespace {

int runSjis(const Arguments& arguments) {
    if (arguments.size() != 1) throw UsageError("expects one FILE");
    const std::string converted = PageToShiftJis(readInput(arguments[0]));
    std::cout.write(converted.data(), static_cast<std::streamsize>(converted.size()));
    return std::cout.flush() ? 0 : 1;
}

const CommandRegistration registration("sjis", "sjis FILE", runSjis);

}  // namespace
}  // namespace kestrin::cli
