#include "cli/InputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace kestrin::cli {

namespace {
[[noreturn]] void cannotRead(const std::string& path, int error) {
    throw std::runtime_error("cannot read " + (path == "-" ? "standard input" : path) + ": " +
                             std::strerror(error));
}
}  // namespace

std::string readInput(const std::string& path) {
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) cannotRead(path, errno);
    std::string bytes;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    const int error = std::ferror(file) ? errno : 0;
    if (file != stdin) std::fclose(file);
    if (error != 0) cannotRead(path, error);
    return bytes;
}

}  // namespace kestrin::cli
