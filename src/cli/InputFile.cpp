#include "cli/InputFile.h"

#include <sys/stat.h>

#include <algorithm>
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

// The size a regular file announces, 0 for anything else (a pipe, a terminal).
std::size_t announcedSize(std::FILE* file) {
    struct stat status;
    if (::fstat(::fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return 0;
    return static_cast<std::size_t>(status.st_size);
}
}  // namespace

// Pages are megabytes: a regular file is read in one piece into a buffer of its size (and one
// byte more, whose read finds the end), so no byte is copied twice and no growing buffer
// touches fresh memory again and again. A file that grows meanwhile, and input of unknown size,
// are read on in steps.
std::string readInput(const std::string& path) {
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) cannotRead(path, errno);
    std::string bytes(announcedSize(file) + 1, '\0');
    std::size_t length = 0;
    while ((length += std::fread(bytes.data() + length, 1, bytes.size() - length, file)) ==
           bytes.size()) {
        bytes.resize(bytes.size() + std::max<std::size_t>(65536, bytes.size() / 2));
    }
    bytes.resize(length);
    const int error = std::ferror(file) ? errno : 0;
    if (file != stdin) std::fclose(file);
    if (error != 0) cannotRead(path, error);
    return bytes;
}

}  // namespace kestrin::cli
