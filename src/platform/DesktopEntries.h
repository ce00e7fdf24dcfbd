#pragma once
// The icons of Linux programs, which carry none of their own: a program installed for the
// desktop has a desktop entry (a ".desktop" file in an "applications" folder of the XDG data
// folders) whose Exec or TryExec runs it and whose Icon names its icon, an icon name of the
// icon theme or an image file.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// True for a program that has no icon inside: an ELF file or a script ("#!").
bool isPlainExecutable(const std::filesystem::path& file);

// The program an Exec line runs: its first word, with the quoting and escapes of desktop
// entries undone. Empty when there is none.
std::string execProgram(std::string_view exec);

// The Icon of the first desktop entry (folders in order, files by name) whose Exec or TryExec
// names `program`, either as a path or as a name found in PATH; both sides are compared with
// symbolic links resolved. Entries marked Hidden, and entries without an Icon, do not count.
// nullopt when no entry runs the program.
std::optional<std::string> desktopIconOf(const std::filesystem::path& program,
                                         const std::vector<std::filesystem::path>& folders);
// The same over dataFolders().
std::optional<std::string> desktopIconOf(const std::filesystem::path& program);

}  // namespace kestrin
