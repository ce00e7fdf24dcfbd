// kestrin-cli: the core without windows, for scripts, cron and supporting programs.

#include <algorithm>
#include <exception>
#include <iostream>

#include "cli/Command.h"

namespace kestrin::cli {

namespace {
std::vector<Command>& registry() {
    static std::vector<Command> all;
    return all;
}

void printUsage(std::ostream& out) {
    out << "usage: kestrin-cli COMMAND [ARGUMENTS]\n";
    auto sorted = commands();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
    for (const auto& command : sorted)
        out << "  kestrin-cli " << command.usage << '\n';
}
}  // namespace

CommandRegistration::CommandRegistration(std::string name, std::string usage, CommandFunction run) {
    registry().push_back(Command{std::move(name), std::move(usage), std::move(run)});
}

const std::vector<Command>& commands() {
    return registry();
}

}  // namespace kestrin::cli

int main(int argc, char** argv) {
    using namespace kestrin::cli;
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        printUsage(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 2 : 0;
    }
    const std::string name = argv[1];
    const auto& all = commands();
    auto found = std::find_if(all.begin(), all.end(),
                              [&](const Command& command) { return command.name == name; });
    if (found == all.end()) {
        std::cerr << "kestrin-cli: unknown command '" << name << "' (see kestrin-cli --help)\n";
        return 2;
    }
    try {
        return found->run(Arguments(argv + 2, argv + argc));
    } catch (const UsageError& error) {
        std::cerr << "kestrin-cli " << name << ": " << error.what() << "\n"
                  << "usage: kestrin-cli " << found->usage << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "kestrin-cli " << name << ": " << error.what() << '\n';
        return 1;
    }
}
