#pragma once
// Runs the built kestrin-cli as its own process and captures what it says.

#include <string>
#include <vector>

namespace kestrin::test {

struct CliResult {
    int status = -1;  // exit status; 128 + signal number when killed by a signal
    std::string out;
    std::string err;
};

// Runs kestrin-cli with `arguments`, feeding `input` to its standard input. The environment is
// inherited (use TempEnvironment to point it at temporary files).
CliResult runCli(const std::vector<std::string>& arguments, const std::string& input = "");
// The same for any program (an absolute file).
CliResult runProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& input = "");

}  // namespace kestrin::test
