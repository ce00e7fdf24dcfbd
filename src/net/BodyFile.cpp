#include "net/BodyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "net/SockError.h"

namespace kestrin {

namespace {
[[noreturn]] void raiseFileError(const std::string& what, const std::string& path) {
    throw ESockError(what + " " + path + ": " + std::strerror(errno));
}
}  // namespace

BodyFile::BodyFile(std::string target) : target_(std::move(target)) {
    std::vector<char> pattern(target_.begin(), target_.end());
    for (char c : std::string(".XXXXXX"))
        pattern.push_back(c);
    pattern.push_back('\0');
    fd_ = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) raiseFileError("Cannot create", target_);
    temporary_ = pattern.data();
    // mkostemp makes the file private; a downloaded file gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
}

BodyFile::~BodyFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void BodyFile::write(const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            raiseFileError("Cannot write", temporary_);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void BodyFile::commit() {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) raiseFileError("Cannot write", temporary_);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0)
        raiseFileError("Cannot replace", target_);
    temporary_.clear();
}

}  // namespace kestrin
