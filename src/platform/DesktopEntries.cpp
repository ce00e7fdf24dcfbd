#include "platform/DesktopEntries.h"

#include <unistd.h>

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

// Desktop entries are a few hundred bytes; a larger file is no entry.
constexpr std::size_t kMaxEntrySize = 64 << 10;

struct DesktopEntry {
    std::string exec;
    std::string tryExec;
    std::string icon;
    bool hidden = false;
};

std::string_view trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

// A value with the escapes of desktop entries undone: \s \n \t \r \\.
std::string unescaped(std::string_view value) {
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            default:
                text += value[i];
                break;
        }
    }
    return text;
}

// The keys of the group "[Desktop Entry]" this lookup needs; localised keys ("Icon[ja]") and
// the other groups are passed over.
DesktopEntry parseEntry(std::string_view text) {
    DesktopEntry entry;
    bool inEntry = false;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.starts_with('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inEntry || line.starts_with('#') || equals == std::string_view::npos) continue;
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string value = unescaped(trimmed(line.substr(equals + 1)));
        if (key == "Exec") entry.exec = value;
        if (key == "TryExec") entry.tryExec = value;
        if (key == "Icon") entry.icon = value;
        if (key == "Hidden") entry.hidden = value == "true";
    }
    return entry;
}

// Whether a program named in an entry (a path, or a name looked up in PATH) is `program`.
bool names(const std::string& named, const fs::path& program) {
    if (named.empty()) return false;
    const std::string found = findInPath(named);
    std::error_code error;
    return !found.empty() && fs::equivalent(found, program, error);
}

// The entry files below a folder, sorted by path.
std::vector<fs::path> entryFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(
             folder, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->path().extension() == ".desktop") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

bool isPlainExecutable(const fs::path& file) {
    const RegularFile opened(file);
    if (!opened.isOpen() || ::access(file.c_str(), X_OK) != 0) return false;
    const std::string start = opened.head(4);
    return start ==
               "\x7f"
               "ELF" ||
           start.starts_with("#!");
}

std::string execProgram(std::string_view exec) {
    exec = trimmed(exec);
    if (!exec.starts_with('"')) return std::string(exec.substr(0, exec.find_first_of(" \t")));
    // A quoted word: a backslash keeps the character after it.
    std::string word;
    for (std::size_t i = 1; i < exec.size() && exec[i] != '"'; ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) ++i;
        word += exec[i];
    }
    return word;
}

std::optional<std::string> desktopIconOf(const fs::path& program,
                                         const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders) {
        for (const fs::path& file : entryFiles(folder / "applications")) {
            const RegularFile opened(file);
            if (!opened.isOpen() || opened.size() > kMaxEntrySize) continue;
            const DesktopEntry entry = parseEntry(opened.head(kMaxEntrySize));
            if (entry.hidden || entry.icon.empty()) continue;
            if (names(execProgram(entry.exec), program) || names(entry.tryExec, program))
                return entry.icon;
        }
    }
    return std::nullopt;
}

std::optional<std::string> desktopIconOf(const fs::path& program) {
    return desktopIconOf(program, dataFolders());
}

}  // namespace kestrin
