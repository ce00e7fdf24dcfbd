// kestrin-cli scan FILE [--ext .lzh,.zip]: the page title, then the archive links the define
// engine finds on the page, one per line.

#include <iostream>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "cli/InputFile.h"
#include "define/ArchiveExtensions.h"
#include "define/KestrinParser.h"

namespace kestrin::cli {
namespace {

int runScan(const Arguments& arguments) {
    std::string file;
    std::vector<std::string> extensions = splitExtList(kDefaultExtList);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--ext") {
            if (++i == arguments.size()) throw UsageError("--ext needs a list such as .lzh,.zip");
            extensions = splitExtList(arguments[i], ',');
        } else if (file.empty()) {
            file = arguments[i];
        } else {
            throw UsageError("unexpected argument '" + arguments[i] + "'");
        }
    }
    if (file.empty()) throw UsageError("expects a FILE");

    TVKestrinParser parser;
    std::string title;
    std::vector<std::string> links;
    parser.ScanPage(readInput(file), title, extensions, links);
    std::cout << title << '\n';
    for (const auto& link : links)
        std::cout << link << '\n';
    return 0;
}

const CommandRegistration registration("scan", "scan FILE [--ext .lzh,.zip]", runScan);

}  // namespace
}  // namespace kestrin::cli
