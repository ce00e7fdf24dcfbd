#pragma once
// The build number: the fourth dot-separated field of a FileVersion text ("3.0.5.360" -> 360).

#include <string_view>

namespace kestrin {

// Raises std::invalid_argument when the text has no fourth field that is a decimal number.
int buildNumberOf(std::string_view fileVersion);
// The system's own build: the build number of versionInfo().fileVersion.
int GetOwnBuild();

}  // namespace kestrin
