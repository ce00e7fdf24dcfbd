#pragma once
// Registry export files (".reg"), in the text format of the Windows registry tools, written
// and read as UTF-8:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Renvane\KestrinAuthor]
//   "Author"="Kestrin Project"          strings escape \ and " with a backslash
//   "Checked"=dword:00000001            32-bit integers in 8 hexadecimal digits
//   "Icon"=hex:01,02,ff                 binary bytes (long lines may continue after a "\")
//   @="default value"
//   "Old"=-                             deletes the value
//   [-HKEY_CURRENT_USER\Software\Old]   deletes the key and everything below it
//
// Only HKEY_CURRENT_USER (also written HKCU) exists in the settings store.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace kestrin {

// A .reg text that cannot be read; what() starts with "line N: ".
class RegFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct RegFileEntry {
    std::string name;                  // "" for the default value (@)
    std::optional<RegistryData> data;  // nullopt: delete the value
};

struct RegFileSection {
    std::string path;  // below the root, as the store takes it
    bool remove = false;
    std::vector<RegFileEntry> entries;
};

// "HKCU\Software\x" or "HKEY_CURRENT_USER\Software\x" (either case) -> "Software\x". Raises
// std::invalid_argument for another hive or a path without one.
std::string pathBelowHive(std::string_view fullPath);
// "Software\x" -> "HKEY_CURRENT_USER\Software\x".
std::string withHive(std::string_view path);

// Parses a whole .reg text (optional UTF-8 byte order mark, LF or CR LF line ends).
std::vector<RegFileSection> parseRegFile(std::string_view text);
// Applies the sections in one transaction: when one fails, nothing has changed.
void applyRegFile(Registry& registry, const std::vector<RegFileSection>& sections);
// The key at `path` and everything below it (subkeys sorted, values in creation order).
// Raises ERegistryException when the key is missing or a string holds a line break, which
// the text format cannot carry.
std::string exportRegFile(Registry& registry, std::string_view path);

}  // namespace kestrin
