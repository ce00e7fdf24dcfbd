#pragma once
// The desktop shell: hidden folders and opening addresses in the user's browser. The Favorites
// folder itself is favoritesFolder() in Paths.h.

#include <filesystem>
#include <string>
#include <vector>

namespace kestrin {

// A folder is hidden when its name is a line of the ".hidden" file in its parent folder, the
// convention of the Linux file managers. A folder that does not exist is not hidden.
bool isHiddenFolder(const std::filesystem::path& folder);
// Adds the name to, or removes it from, the parent's ".hidden"; other lines stay as they were
// and a ".hidden" left with no lines is removed. The folder must exist.
void setHiddenFolder(const std::filesystem::path& folder, bool hidden);

// The file a program name stands for: a name with a slash as it is, else the first executable
// of that name in a PATH folder. Empty when there is none.
std::string findInPath(const std::string& program);

// Starts a program with these arguments (no shell in between) and does not wait for it; it is
// not this process's child, so it leaves no zombie behind. `program` without a slash is looked
// up in PATH. False when it cannot be started.
bool startDetached(const std::string& program, const std::vector<std::string>& arguments);

// What a program that ran to its end said: its exit status (-1 when it could not be started or
// was killed) and its standard output and error together.
struct ProgramResult {
    int status = -1;
    std::string output;
};

// Runs a program with these arguments (no shell in between, standard input on /dev/null) and
// waits for it to end. `program` without a slash is looked up in PATH.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& arguments);

// Hands an address to the desktop ("xdg-open"), which shows it in the user's browser. An empty
// address, or one starting with "-" (it would read as an option), is not handed on.
bool openAddress(const std::string& address);

}  // namespace kestrin
