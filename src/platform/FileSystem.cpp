#include "platform/FileSystem.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace kestrin {

namespace {

[[noreturn]] void fail(const std::string& what, const fs::path& path, int error = errno) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

[[noreturn]] void fail(const std::string& what, const fs::path& from, const fs::path& to,
                       int error = errno) {
    throw fs::filesystem_error(what, from, to, std::error_code(error, std::generic_category()));
}

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    int get() const { return fd_; }
    int release() noexcept { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

void writeAll(int fd, std::string_view bytes, const fs::path& path) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            fail("cannot write", path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// A new, empty file beside `target` with a name nobody else uses. `mode` is filtered by the
// umask, as for any new file.
std::pair<FileDescriptor, fs::path> createTemporaryBeside(const fs::path& target, mode_t mode) {
    static std::mt19937_64 random{std::random_device{}()};
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = folder / ("." + target.filename().string() + ".tmp" +
                                       std::to_string(random() % 1000000000));
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) return {FileDescriptor(fd), candidate};
        if (errno != EEXIST) fail("cannot create a file in the folder of", target);
    }
    fail("cannot create a file in the folder of", target, EEXIST);
}

// Makes a rename survive a crash: the folder's entry list is flushed too. Best effort, as some
// file systems do not flush folders.
void syncFolderOf(const fs::path& path) {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

// The file a path finally names, following symbolic links, so that writing through a link
// replaces the file and not the link.
fs::path followLinks(const fs::path& path) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) return path;
    fs::path target = fs::weakly_canonical(path, error);
    return error ? path : target;
}

bool lstatExists(const fs::path& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

void addPermissions(const fs::path& path, mode_t add) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || S_ISLNK(info.st_mode)) return;
    if ((info.st_mode & add) != add) ::chmod(path.c_str(), (info.st_mode & 07777) | add);
}

}  // namespace

RegularFile::RegularFile(const fs::path& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
    struct stat status {};
    if (fd_ >= 0 && ::fstat(fd_, &status) == 0 && S_ISREG(status.st_mode)) {
        size_ = std::uint64_t(status.st_size);
    } else if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
}

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool RegularFile::read(std::uint64_t offset, char* into, std::size_t length) const {
    while (length > 0) {
        const ssize_t got = ::pread(fd_, into, length, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an error, or the file became shorter
        into += got;
        offset += std::uint64_t(got);
        length -= std::size_t(got);
    }
    return true;
}

std::string RegularFile::head(std::size_t limit) const {
    std::string bytes(std::min<std::uint64_t>(limit, size_), '\0');
    if (!isOpen() || !read(0, bytes.data(), bytes.size())) return "";
    return bytes;
}

std::optional<std::string> readFileIfExists(const fs::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return std::nullopt;
        fail("cannot open", path);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            fail("cannot read", path);
        }
        if (got == 0) return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

void writeFileAtomically(const fs::path& path, std::string_view bytes) {
    const fs::path target = followLinks(path);
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    // Renaming over a file needs no permission on the file itself; refuse as a plain write would.
    if (exists && ::access(target.c_str(), W_OK) != 0) fail("cannot write", target);

    auto [fd, temporary] = createTemporaryBeside(target, 0666);
    try {
        if (exists && ::fchmod(fd.get(), existing.st_mode & 07777) != 0) {
            fail("cannot set the permissions of", temporary);
        }
        writeAll(fd.get(), bytes, temporary);
        if (::fsync(fd.get()) != 0) fail("cannot flush", temporary);
        if (::close(fd.release()) != 0) fail("cannot write", temporary);
        if (::rename(temporary.c_str(), target.c_str()) != 0) fail("cannot replace", target);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    syncFolderOf(target);
}

void moveNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    // EINVAL also means "a folder into itself"; the fallback reports that case the same way.
    if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
        detail::moveNoReplaceFallback(from, to);
        return;
    }
    fail("cannot move", from, to);
}

void detail::moveNoReplaceFallback(const fs::path& from, const fs::path& to) {
    struct stat info;
    if (::lstat(from.c_str(), &info) != 0) fail("cannot move", from, to);
    if (S_ISDIR(info.st_mode)) {
        // No atomic way for folders: a target created between the test and the rename would be
        // replaced only if it were an empty folder.
        if (lstatExists(to)) fail("cannot move", from, to, EEXIST);
        if (::rename(from.c_str(), to.c_str()) != 0) fail("cannot move", from, to);
        return;
    }
    if (::link(from.c_str(), to.c_str()) != 0) fail("cannot move", from, to);
    if (::unlink(from.c_str()) != 0) {
        int error = errno;
        ::unlink(to.c_str());
        fail("cannot move", from, to, error);
    }
}

bool isReadOnly(const fs::path& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) fail("cannot read the attributes of", path);
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void setReadOnly(const fs::path& path, bool readOnly) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) fail("cannot read the attributes of", path);
    mode_t mode = info.st_mode & 07777;
    mode = readOnly ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    if (::chmod(path.c_str(), mode) != 0) fail("cannot set the attributes of", path);
}

void deleteFile(const fs::path& path) {
    addPermissions(path, S_IWUSR);
    if (::unlink(path.c_str()) != 0) fail("cannot delete", path);
}

void deleteTree(const fs::path& folder) {
    // Every folder, parents before children, each opened up so its entries can be removed.
    std::vector<fs::path> folders{folder};
    std::vector<fs::path> files;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        addPermissions(folders[i], S_IRWXU);
        std::error_code error;
        for (fs::directory_iterator it(folders[i], error), end; !error && it != end;
             it.increment(error)) {
            if (fs::is_directory(it->symlink_status(error))) {
                folders.push_back(it->path());
            } else {
                files.push_back(it->path());
            }
        }
        if (error) fail("cannot list", folders[i], error.value());
    }
    for (const fs::path& file : files)
        deleteFile(file);
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        if (::rmdir(it->c_str()) != 0) fail("cannot delete", *it);
    }
}

}  // namespace kestrin
