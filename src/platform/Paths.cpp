#include "platform/Paths.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#ifndef KESTRIN_DATA_DIR
#define KESTRIN_DATA_DIR "/usr/local/share/kestrin"
#endif
#ifndef KESTRIN_DATA_DIR_FROM_PROGRAMS
#define KESTRIN_DATA_DIR_FROM_PROGRAMS "../share/kestrin"
#endif

namespace fs = std::filesystem;

namespace kestrin {

namespace {
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// $variable when set and absolute (as the XDG rules ask), else ~/fallback.
fs::path xdgFolder(const char* variable, const char* fallback) {
    fs::path folder = environment(variable);
    if (!folder.empty() && folder.is_absolute()) return folder;
    return fs::path(environment("HOME")) / fallback;
}
}  // namespace

fs::path configFolder() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

fs::path registryPath() {
    if (auto path = environment("KESTRIN_REGISTRY"); !path.empty()) return path;
    return configFolder() / "kestrin" / "registry.db";
}

fs::path favoritesFolder() {
    if (auto path = environment("KESTRIN_FAVORITES"); !path.empty()) return path;
    return xdgFolder("XDG_DATA_HOME", ".local/share") / "kestrin" / "Favorites";
}

fs::path stateFolder() {
    return xdgFolder("XDG_STATE_HOME", ".local/state") / "kestrin";
}

std::vector<fs::path> dataFolders() {
    std::vector<fs::path> folders{xdgFolder("XDG_DATA_HOME", ".local/share")};
    std::string list = environment("XDG_DATA_DIRS");
    if (list.empty()) list = "/usr/local/share:/usr/share";
    std::string_view rest = list;
    while (!rest.empty()) {
        const std::size_t colon = std::min(rest.find(':'), rest.size());
        const fs::path folder = rest.substr(0, colon);
        if (folder.is_absolute()) folders.push_back(folder);
        rest.remove_prefix(std::min(colon + 1, rest.size()));
    }
    return folders;
}

fs::path cacheFolder() {
    return xdgFolder("XDG_CACHE_HOME", ".cache") / "kestrin";
}

fs::path programPath() {
    std::error_code error;
    auto path = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : path;
}

std::vector<fs::path> dataFolders(const fs::path& programFolder) {
    std::vector<fs::path> folders;
    if (!programFolder.empty()) {
        folders.push_back(programFolder);
        folders.push_back((programFolder / KESTRIN_DATA_DIR_FROM_PROGRAMS).lexically_normal());
    }
    folders.emplace_back(KESTRIN_DATA_DIR);
    return folders;
}

fs::path findDataFile(const std::string& name) {
    std::error_code error;
    for (const fs::path& folder : dataFolders(programPath().parent_path())) {
        fs::path candidate = folder / name;
        if (fs::exists(candidate, error)) return candidate;
    }
    return {};
}

}  // namespace kestrin
