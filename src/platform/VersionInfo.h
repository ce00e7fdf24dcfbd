#pragma once
// The program's version information, from one source: the CMake project version a.b.c.d.

#include <string>

namespace kestrin {

struct VersionInfo {
    std::string productName;
    std::string fileVersion;  // "a.b.c.d"; the build number is d
    std::string fileDescription;
    std::string legalCopyright;
    // The desktop's name for the program: its desktop entry ("<id>.desktop"), icon and
    // AppStream component carry it.
    std::string applicationId;
};

const VersionInfo& versionInfo();

}  // namespace kestrin
