#include "platform/Sound.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/PollPump.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;
using test::TempFolder;

// Points PATH at chosen folders for one test and restores it afterwards.
struct ScopedPath : test::ScopedVariable {
    explicit ScopedPath(const std::string& value) : ScopedVariable("PATH", value) {}
};

// A stand-in player: records its name, its arguments and where its output goes, one per line,
// into "<name>.called" beside the folder's files.
void writeFakePlayer(const std::filesystem::path& folder, const std::string& name,
                     const std::filesystem::path& records) {
    std::filesystem::create_directories(folder);
    auto script = folder / name;
    test::writeFile(script,
                    "#!/bin/sh\n"
                    "out=$(/bin/readlink /proc/$$/fd/1)\n"
                    "err=$(/bin/readlink /proc/$$/fd/2)\n"
                    "echo noise\n"
                    "printf '%s\\n' \"$@\" \"$out\" \"$err\" > '" +
                        (records / (name + ".tmp")).string() +
                        "'\n"
                        "/bin/mv '" +
                        (records / (name + ".tmp")).string() + "' '" +
                        (records / (name + ".called")).string() + "'\n");
    chmod(script.c_str(), 0755);
}

// Pumps until every started player has been reaped.
bool reapAll() {
    return static_cast<PollPump&>(messagePump())
        .runUntil([] { return soundPlayersRunning() == 0; }, 5000ms);
}

TEST(Sound, FirstPlayerInPreferenceOrderPlaysTheFileWithOutputDiscarded) {
    struct Case {
        std::vector<std::string> first;   // players in the first PATH folder
        std::vector<std::string> second;  // players in the second PATH folder
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"aplay"}, {}, "aplay"},
        {{"aplay"}, {"paplay"}, "paplay"},
        {{"paplay", "aplay"}, {"pw-play"}, "pw-play"},
        {{}, {"aplay"}, "aplay"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        TempFolder temp;
        for (const auto& name : c.first)
            writeFakePlayer(temp / "one", name, temp.path());
        for (const auto& name : c.second)
            writeFakePlayer(temp / "two", name, temp.path());
        std::filesystem::create_directories(temp / "one");
        auto wave = temp / "-chime.wav";
        test::writeFile(wave, "RIFF");
        ScopedPath path((temp / "one").string() + "::" + (temp / "two").string());

        EXPECT_EQ(findSoundPlayer().filename(), c.expected);
        EXPECT_TRUE(playSound(wave));
        ASSERT_TRUE(reapAll());
        EXPECT_EQ(test::readFile(temp / (c.expected + ".called")),
                  wave.string() + "\n/dev/null\n/dev/null\n");
        for (const char* other : {"pw-play", "paplay", "aplay"}) {
            if (other == c.expected) continue;
            EXPECT_FALSE(std::filesystem::exists(temp / (std::string(other) + ".called")));
        }
    }
    // Every child was reaped by the pump: none is left waiting.
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(Sound, SilenceWithoutPlayerOrFile) {
    TempFolder temp;
    writeFakePlayer(temp / "bin", "aplay", temp.path());
    auto wave = temp / "kestrin.wav";
    test::writeFile(wave, "RIFF");
    std::filesystem::create_directories(temp / "idle");
    test::writeFile(temp / "idle" / "paplay", "#!/bin/sh\n");  // not executable

    {
        SCOPED_TRACE("no player on PATH");
        ScopedPath path((temp / "idle").string());
        EXPECT_TRUE(findSoundPlayer().empty());
        EXPECT_FALSE(playSound(wave));
    }
    {
        SCOPED_TRACE("missing file");
        ScopedPath path((temp / "bin").string());
        EXPECT_FALSE(playSound(temp / "missing.wav"));
        EXPECT_FALSE(playSound(temp.path()));  // a folder is no sound
    }
    EXPECT_EQ(soundPlayersRunning(), 0u);
    EXPECT_FALSE(std::filesystem::exists(temp / "aplay.called"));
}

}  // namespace
}  // namespace kestrin
