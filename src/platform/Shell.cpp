#include "platform/Shell.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/FileSystem.h"

extern char** environ;

namespace fs = std::filesystem;

namespace kestrin {

namespace {

// The folder's own name and the ".hidden" file beside it; a trailing slash is allowed.
std::pair<std::string, fs::path> hiddenListOf(const fs::path& folder) {
    fs::path normal = folder.lexically_normal();
    if (!normal.has_filename()) normal = normal.parent_path();
    fs::path parent = normal.has_parent_path() ? normal.parent_path() : fs::path(".");
    return {normal.filename().string(), parent / ".hidden"};
}

// One line of ".hidden" without its line end (a CR before the LF is tolerated).
std::string_view entryOf(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The lines of a text, each with its line end.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        end = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return lines;
}

// A program's name and arguments, and the argv array of exec that points into them.
struct CommandWords {
    CommandWords(const std::string& program, const std::vector<std::string>& arguments)
        : words{program} {
        words.insert(words.end(), arguments.begin(), arguments.end());
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
    }
    CommandWords(const CommandWords&) = delete;
    CommandWords& operator=(const CommandWords&) = delete;

    std::vector<std::string> words;
    std::vector<char*> argv;
};

}  // namespace

std::string findInPath(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return ::access(program.c_str(), X_OK) == 0 ? program : "";
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (!folders.empty()) {
        std::size_t colon = folders.find(':');
        std::string_view folder = folders.substr(0, colon);
        folders.remove_prefix(colon == std::string_view::npos ? folders.size() : colon + 1);
        std::string candidate =
            (folder.empty() ? std::string(".") : std::string(folder)) + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

bool isHiddenFolder(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) return false;
    auto [name, list] = hiddenListOf(folder);
    const std::string text = readFileIfExists(list).value_or("");
    for (std::string_view line : linesOf(text)) {
        if (entryOf(line) == name) return true;
    }
    return false;
}

void setHiddenFolder(const fs::path& folder, bool hidden) {
    if (!fs::is_directory(folder)) {
        throw fs::filesystem_error("not a folder", folder,
                                   std::make_error_code(std::errc::not_a_directory));
    }
    auto [name, list] = hiddenListOf(folder);
    if (name.find('\n') != std::string::npos) {
        throw fs::filesystem_error("a folder name with a line break cannot be hidden", folder,
                                   std::make_error_code(std::errc::invalid_argument));
    }
    const std::string before = readFileIfExists(list).value_or("");
    std::string others;  // every line but the folder's, byte for byte
    bool listed = false;
    for (std::string_view line : linesOf(before)) {
        if (entryOf(line) == name) {
            listed = true;
        } else {
            others += line;
        }
    }
    if (hidden == listed) return;
    if (hidden) {
        if (!others.empty() && others.back() != '\n') others += '\n';
        writeFileAtomically(list, others + name + '\n');
    } else if (others.empty()) {
        deleteFile(list);
    } else {
        writeFileAtomically(list, others);
    }
}

bool startDetached(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string resolved = findInPath(program);
    if (resolved.empty()) return false;
    // Everything the child needs is prepared here: after fork() it may only exec or exit.
    CommandWords command(program, arguments);

    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        // The grandchild runs the program; the child ends at once, so init adopts the program.
        pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            ::execv(resolved.c_str(), command.argv.data());
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments) {
    ProgramResult result;
    const std::string resolved = findInPath(program);
    int output[2];
    if (resolved.empty() || ::pipe2(output, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    CommandWords command(program, arguments);
    pid_t child = -1;
    const int failed =
        ::posix_spawn(&child, resolved.c_str(), &actions, nullptr, command.argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    char buffer[4096];
    for (ssize_t n; !failed && (n = ::read(output[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0) result.output.append(buffer, static_cast<std::size_t>(n));
        if (n < 0 && errno != EINTR) break;
    }
    ::close(output[0]);
    int status = 0;
    if (failed) return result;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    return result;
}

bool openAddress(const std::string& address) {
    if (address.empty() || address.front() == '-') return false;
    return startDetached("xdg-open", {address});
}

}  // namespace kestrin
