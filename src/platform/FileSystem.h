#pragma once
// File operations with the guarantees the rest of the system relies on: whole files replaced
// atomically, moves that never replace an existing target, and deletions that are not stopped
// by read-only files. Failures raise std::filesystem::filesystem_error naming the paths.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin {

// The whole file as bytes; nullopt when it does not exist. Other failures raise.
std::optional<std::string> readFileIfExists(const std::filesystem::path& path);

// A regular file opened for reading pieces of it. Anything else (a missing file, a folder, a
// pipe or a device, which could block or never end) is not opened.
class RegularFile {
  public:
    explicit RegularFile(const std::filesystem::path& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    std::uint64_t size() const { return size_; }
    // Exactly `length` bytes from `offset`; false when they are not all there.
    bool read(std::uint64_t offset, char* into, std::size_t length) const;
    // The first bytes, at most `limit` of them.
    std::string head(std::size_t limit) const;

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Replaces (or creates) the file with `bytes`: a temporary file in the same folder is written,
// flushed to disk and renamed over the target, so a crash leaves either the old or the new
// file, never half of one. A symbolic link is followed, an existing file keeps its permissions,
// and a read-only file is refused. The folder must exist.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Moves a file or folder to `to`; an existing `to` is never replaced (error "file exists").
void moveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Read-only means that nobody has write permission.
bool isReadOnly(const std::filesystem::path& path);
// Clears every write permission, or gives the owner write permission back.
void setReadOnly(const std::filesystem::path& path, bool readOnly);

// Deletes one file (or symbolic link), read-only or not.
void deleteFile(const std::filesystem::path& path);
// Deletes a folder with everything in it, read-only files and folders included: first every
// file, then the folders, deepest first. Stops at the first failure.
void deleteTree(const std::filesystem::path& folder);

namespace detail {
// The move used when the file system cannot rename without replacing: a file is linked under
// the new name and unlinked under the old one; a folder is renamed after making sure that the
// target does not exist.
void moveNoReplaceFallback(const std::filesystem::path& from, const std::filesystem::path& to);
}  // namespace detail

}  // namespace kestrin
