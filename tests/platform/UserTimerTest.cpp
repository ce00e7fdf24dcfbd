#include "platform/UserTimer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Shell.h"
#include "support/CliRunner.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;

UserTimer sampleTimer(const std::vector<std::string>& arguments) {
    UserTimer timer;
    timer.name = "kestrin-test";
    timer.description = "Kestrin 2001 update check";
    timer.schedule = {TimerSchedule::Every::Day, 7, 5};
    timer.command = {KESTRIN_CLI_PATH, "check"};
    timer.command.insert(timer.command.end(), arguments.begin(), arguments.end());
    return timer;
}

// Words systemd would expand or split, written so that they come back as they were, and the
// units still pass systemd's own check.
TEST(UserTimer, UnitsKeepAwkwardWordsAndPassSystemdVerify) {
    test::TempEnvironment environment;
    UserTimer timer = sampleTimer({"/checkauto", "My \"Key\" 100% $HOME \\ ;", "--notify"});
    timer.environment = {{"KESTRIN_REGISTRY", "/tmp/my store/%h/$USER/日本語.db"},
                         {"KESTRIN_FAVORITES", "/plain"}};
    const TimerOutcome outcome = installUserTimer(timer);
    EXPECT_FALSE(outcome.active);
    EXPECT_EQ(outcome.note, "no systemd user instance is running");

    EXPECT_EQ(readUserTimer("kestrin-test"), timer);
    const fs::path folder = environment.config() / "systemd" / "user";
    const std::string timerText = test::readFile(folder / "kestrin-test.timer");
    EXPECT_NE(timerText.find("\nOnCalendar=*-*-* 07:05:00\n"), std::string::npos) << timerText;
    EXPECT_NE(timerText.find("\nWantedBy=timers.target\n"), std::string::npos) << timerText;
    // Linked as "systemctl --user enable" links it, for the next systemd session.
    EXPECT_EQ(fs::read_symlink(folder / "timers.target.wants" / "kestrin-test.timer"),
              folder / "kestrin-test.timer");

    const std::string analyze = findInPath("systemd-analyze");
    if (analyze.empty()) GTEST_SKIP() << "systemd-analyze is not installed";
    const test::CliResult verify =
        test::runProgram(analyze, {"--user", "--man=no", "verify", (folder / "kestrin-test.timer"),
                                   (folder / "kestrin-test.service")});
    EXPECT_EQ(verify.status, 0) << verify.out << verify.err;
    EXPECT_EQ(verify.out + verify.err, "");
}

TEST(UserTimer, CrontabLineRunsTheSameCommand) {
    UserTimer timer = sampleTimer({"/checkauto", "it's 100%"});
    timer.environment = {{"KESTRIN_REGISTRY", "/a b/r.db"}};
    EXPECT_EQ(crontabLine(timer), "5 7 * * * KESTRIN_REGISTRY='/a b/r.db' " +
                                      std::string(KESTRIN_CLI_PATH) +
                                      " check /checkauto 'it'\\''s 100\\%'");
    timer.schedule = {TimerSchedule::Every::Hour, 0, 0};
    timer.environment.clear();
    timer.command = {"/usr/bin/kestrin-cli", "check", "/preset", "--notify"};
    EXPECT_EQ(crontabLine(timer), "0 * * * * /usr/bin/kestrin-cli check /preset --notify");
}

TEST(UserTimer, RemovingTakesAwayUnitsAndLinkAndToleratesNothingThere) {
    test::TempEnvironment environment;
    installUserTimer(sampleTimer({"/check"}));
    const fs::path folder = environment.config() / "systemd" / "user";
    EXPECT_EQ(removeUserTimer("kestrin-test").note, "");
    EXPECT_FALSE(fs::exists(folder / "kestrin-test.timer"));
    EXPECT_FALSE(fs::exists(folder / "kestrin-test.service"));
    EXPECT_FALSE(fs::is_symlink(folder / "timers.target.wants" / "kestrin-test.timer"));
    EXPECT_EQ(readUserTimer("kestrin-test"), std::nullopt);
    EXPECT_EQ(removeUserTimer("kestrin-test").note, "");
}

}  // namespace
}  // namespace kestrin
