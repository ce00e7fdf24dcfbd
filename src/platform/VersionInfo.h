#pragma once
// The program's version information, from one source: the CMake project version a.b.c.d.

#include <string>

namespace kestrin {

// The application's title: the caption of the general error display.
inline constexpr const char* kApplicationTitle = "Kestrin 2001 for Windows 98/2000";

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
