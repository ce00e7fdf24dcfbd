#pragma once
// The input of a diagnostic subcommand: a file, or standard input for "-".

#include <string>

namespace kestrin::cli {

// All bytes of `path` ("-": standard input). Throws std::runtime_error naming the file when it
// cannot be read.
std::string readInput(const std::string& path);

}  // namespace kestrin::cli
