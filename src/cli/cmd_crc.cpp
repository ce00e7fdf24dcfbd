// kestrin-cli crc FILE: the tag-stripped checksum the define engine stores for a page.

#include <iostream>

#include "cli/Command.h"
#include "cli/InputFile.h"
#include "define/KestrinParser.h"

namespace kestrin::cli {
namespace {

int runCrc(const Arguments& arguments) {
    if (arguments.size() != 1) throw UsageError("expects one FILE");
    TVKestrinParser parser;
    std::cout << parser.TagRemovedCRC(readInput(arguments[0])) << '\n';
    return 0;
}

const CommandRegistration registration("crc", "crc FILE", runCrc);

}  // namespace
}  // namespace kestrin::cli
