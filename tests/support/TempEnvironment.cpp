#include "support/TempEnvironment.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace kestrin::test {

namespace {
fs::path makeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "kestrin-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    return pattern;
}

// Gives write permission back everywhere so that the folder can be removed even when a test
// left read-only files or folders in it.
void removeAll(const fs::path& path) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(path, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(path, error);
}
}  // namespace

TempFolder::TempFolder() : path_(makeTempFolder()) {}
TempFolder::~TempFolder() {
    removeAll(path_);
}

TempEnvironment::TempEnvironment() : root_(makeTempFolder()) {
    fs::create_directory(root_ / "home");
    set("KESTRIN_REGISTRY", registry().string());
    set("KESTRIN_FAVORITES", favorites().string());
    set("XDG_STATE_HOME", (root_ / "state").string());
    set("XDG_CONFIG_HOME", config().string());
    set("XDG_DATA_HOME", (root_ / "data").string());
    set("XDG_CACHE_HOME", (root_ / "cache").string());
    set("HOME", (root_ / "home").string());
    fs::create_directory(runtime());
    fs::permissions(runtime(), fs::perms::owner_all, fs::perm_options::replace);
    set("XDG_RUNTIME_DIR", runtime().string());
    set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (runtime() / "bus").string());
    set("http_proxy", "");
    set("HTTP_PROXY", "");
}

TempEnvironment::~TempEnvironment() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    removeAll(root_);
}

void TempEnvironment::set(const char* name, const std::string& value) {
    const char* old = getenv(name);
    saved_.emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
}

ScopedVariable::ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) saved_ = old;
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
}

ScopedVariable::~ScopedVariable() {
    if (saved_) {
        setenv(name_.c_str(), saved_->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    out << bytes;
}

}  // namespace kestrin::test
