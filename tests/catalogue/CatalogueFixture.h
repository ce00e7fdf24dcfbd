#pragma once
// Writing and reading catalogue entries below "\Software\Renvane\" in a test's temporary store
// (use inside a TempEnvironment).

#include <optional>
#include <string>

#include "platform/VRegEx.h"

namespace kestrin::test {

inline void setString(const std::string& key, const std::string& name, const std::string& value) {
    TVRegEx reg;
    reg.OpenRenvaneKey(key);
    reg.WriteString(name, value);
}

inline void setInteger(const std::string& key, const std::string& name, int value) {
    TVRegEx reg;
    reg.OpenRenvaneKey(key);
    reg.WriteInteger(name, value);
}

// An author key with its display name and, when given, the address of its file.
inline void addAuthor(const std::string& key, const std::string& name,
                      const std::string& infoURL = "") {
    setString(key, "Author", name);
    if (!infoURL.empty()) setString(key, "InfoURL", infoURL);
}

// A piece of software of `author` with its DistinctName and installed Build.
inline void addSoftware(const std::string& author, const std::string& key,
                        const std::string& distinctName, int build) {
    setString(author + "\\" + key, "DistinctName", distinctName);
    setInteger(author + "\\" + key, "Build", build);
}

inline std::optional<std::string> stringAt(const std::string& key, const std::string& name) {
    TVRegEx reg;
    if (!reg.OpenKey(std::string(kRenvaneKey) + key, false) || !reg.ValueExists(name))
        return std::nullopt;
    return reg.ReadString(name);
}

inline std::optional<int> integerAt(const std::string& key, const std::string& name) {
    TVRegEx reg;
    if (!reg.OpenKey(std::string(kRenvaneKey) + key, false) || !reg.ValueExists(name))
        return std::nullopt;
    return reg.ReadInteger(name);
}

}  // namespace kestrin::test
