#include "platform/BuildNumber.h"

#include <charconv>
#include <stdexcept>
#include <string>

#include "platform/VersionInfo.h"

namespace kestrin {

int buildNumberOf(std::string_view fileVersion) {
    auto refuse = [&] {
        return std::invalid_argument("\"" + std::string(fileVersion) +
                                     "\" is not a version a.b.c.build");
    };
    // Remove up to and including the first ".", then the next "." alone, then up to and
    // including the next "."; the rest is the build.
    std::string rest(fileVersion);
    std::size_t dot = rest.find('.');
    if (dot == std::string::npos) throw refuse();
    rest.erase(0, dot + 1);
    if ((dot = rest.find('.')) == std::string::npos) throw refuse();
    rest.erase(dot, 1);
    if ((dot = rest.find('.')) == std::string::npos) throw refuse();
    rest.erase(0, dot + 1);

    int build = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), build);
    if (rest.empty() || rest.front() == '-' || error != std::errc() ||
        end != rest.data() + rest.size())
        throw refuse();
    return build;
}

int GetOwnBuild() {
    return buildNumberOf(versionInfo().fileVersion);
}

}  // namespace kestrin
