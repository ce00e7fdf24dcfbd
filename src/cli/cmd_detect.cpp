// kestrin-cli detect FILE: the Japanese encoding the conversion recognises (code and name).

#include <iostream>

#include "cli/Command.h"
#include "cli/InputFile.h"
#include "text/JapaneseConversion.h"

namespace kestrin::cli {
namespace {

int runDetect(const Arguments& arguments) {
    if (arguments.size() != 1) throw UsageError("expects one FILE");
    const JapaneseCode code = DetectCode(readInput(arguments[0]));
    std::cout << static_cast<int>(code) << ' ' << JapaneseCodeName(code) << '\n';
    return 0;
}

const CommandRegistration registration("detect", "detect FILE", runDetect);

}  // namespace
}  // namespace kestrin::cli
