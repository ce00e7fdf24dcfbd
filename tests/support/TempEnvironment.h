#pragma once
// A private world for one test: a temporary folder holding the settings store, the Favorites
// folder, the state folder, the XDG folders, a home folder and a runtime folder, pointed to by
// the environment, so that no test touches the user's real settings or Favorites, their session
// bus or their systemd user instance. Restores the environment when it ends.

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace kestrin::test {

class TempEnvironment {
  public:
    TempEnvironment();
    ~TempEnvironment();
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path registry() const { return root_ / "registry.db"; }
    std::filesystem::path favorites() const { return root_ / "Favorites"; }
    std::filesystem::path state() const { return root_ / "state" / "kestrin"; }
    std::filesystem::path config() const { return root_ / "config"; }
    // $XDG_RUNTIME_DIR (mode 0700); the session bus address points to "bus" inside it, where
    // nothing listens unless a test starts a SessionBus there.
    std::filesystem::path runtime() const { return root_ / "runtime"; }

  private:
    void set(const char* name, const std::string& value);

    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

// Sets one environment variable for the life of the object (unsets it for an empty value) and
// restores it afterwards.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    std::string name_;
    std::optional<std::string> saved_;
};

// A fresh temporary folder, removed with everything in it when the object ends.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Reads and writes whole files as bytes.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace kestrin::test
