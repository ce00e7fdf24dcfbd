#pragma once
// kestrin-cli subcommands register themselves: each cmd_*.cpp holds one subcommand and a
// static CommandRegistration, so adding a subcommand touches no shared file.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kestrin::cli {

// The arguments after the subcommand's name.
using Arguments = std::vector<std::string>;
// Returns the exit status. Throwing UsageError or any std::exception prints a one-line error
// and exits non-zero.
using CommandFunction = std::function<int(const Arguments&)>;

struct Command {
    std::string name;
    std::string usage;  // one line: "crc FILE"
    CommandFunction run;
};

// Bad input on the command line; main prints the message and the subcommand's usage.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class CommandRegistration {
  public:
    CommandRegistration(std::string name, std::string usage, CommandFunction run);
};

const std::vector<Command>& commands();

}  // namespace kestrin::cli
