#include "platform/BuildNumber.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/VersionInfo.h"

namespace kestrin {
namespace {

TEST(BuildNumber, IsTheFourthFieldOfTheFileVersion) {
    const std::pair<const char*, int> cases[] = {
        {"3.0.5.360", 360}, {"3.0.0.1", 1}, {"10.20.30.0", 0}, {"1.2.3.2147483647", 2147483647}};
    for (const auto& [version, build] : cases)
        EXPECT_EQ(buildNumberOf(version), build) << version;

    for (const char* bad : {"", "3", "3.0.5", "3.0.5.", "3.0.5.x", "3.0.5.360.1", "3.0.5.-1",
                            "3.0.5.2147483648", "3.0.5. 360"})
        EXPECT_THROW(buildNumberOf(bad), std::invalid_argument) << bad;

    const std::string& version = versionInfo().fileVersion;
    EXPECT_EQ(GetOwnBuild(), std::stoi(version.substr(version.rfind('.') + 1)));
}

}  // namespace
}  // namespace kestrin
