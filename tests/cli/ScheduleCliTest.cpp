#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>

#include "support/CliRunner.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

namespace fs = std::filesystem;
using test::runCli;

const std::string kCli = KESTRIN_CLI_PATH;

fs::path unitFolder(const test::TempEnvironment& environment) {
    return environment.config() / "systemd" / "user";
}

TEST(ScheduleCli, WithoutAUserInstanceWritesTheUnitsAndPrintsTheCrontabLine) {
    test::TempEnvironment environment;
    const test::CliResult none = runCli({"schedule"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "no scheduled check\n");

    const test::CliResult set = runCli({"schedule", "daily", "09:00", "--options", "/PRESET"});
    EXPECT_EQ(set.status, 0) << set.err;
    const std::string timerFile = (unitFolder(environment) / "kestrin-check.timer").string();
    const std::string crontab = "0 9 * * * KESTRIN_REGISTRY=" + environment.registry().string() +
                                " KESTRIN_FAVORITES=" + environment.favorites().string() + " " +
                                kCli + " check /preset --notify\n";
    EXPECT_EQ(set.out, "schedule: daily 09:00\ncommand: " + kCli +
                           " check /preset --notify\ntimer: " + timerFile +
                           " (not active: no systemd user instance is running)\n"
                           "To check on this schedule with cron instead, add this line with "
                           "\"crontab -e\":\n" +
                           crontab);
    const std::string service = test::readFile(unitFolder(environment) / "kestrin-check.service");
    EXPECT_NE(service.find("\nExecStart=" + kCli + " check /preset --notify\n"), std::string::npos)
        << service;
    EXPECT_NE(service.find("\nEnvironment=KESTRIN_REGISTRY=" + environment.registry().string()),
              std::string::npos)
        << service;

    const test::CliResult shown = runCli({"schedule"});
    EXPECT_EQ(shown.out, "schedule: daily 09:00\ncommand: " + kCli +
                             " check /preset --notify\ntimer: " + timerFile +
                             " (not active: no systemd user instance is running)\n"
                             "crontab line: " +
                             crontab);

    // hourly replaces the daily timer; off removes it.
    EXPECT_EQ(runCli({"schedule", "hourly"}).status, 0);
    EXPECT_NE(test::readFile(timerFile).find("\nOnCalendar=*-*-* *:00:00\n"), std::string::npos);
    EXPECT_NE(runCli({"schedule"}).out.find("crontab line: 0 * * * * "), std::string::npos);
    const test::CliResult off = runCli({"schedule", "off"});
    EXPECT_EQ(off.status, 0) << off.err;
    EXPECT_EQ(off.out.rfind("the scheduled check was removed\n", 0), 0u) << off.out;
    EXPECT_FALSE(fs::exists(timerFile));
    EXPECT_EQ(runCli({"schedule"}).out, "no scheduled check\n");
}

// A stand-in systemctl that records its arguments and fails when asked to, and the private
// socket of a user instance, so the command takes the path of a desktop session.
class UserInstance {
  public:
    UserInstance(const test::TempEnvironment& environment, const std::string& failOn = "")
        : log_(environment.root() / "systemctl.log"),
          path_("PATH", (environment.root() / "bin").string() + ":/usr/bin:/bin") {
        fs::create_directories(environment.root() / "bin");
        const fs::path script = environment.root() / "bin" / "systemctl";
        test::writeFile(script, "#!/bin/sh\necho \"$*\" >> '" + log_.string() +
                                    "'\ncase \"$*\" in *'" + (failOn.empty() ? "#" : failOn) +
                                    "'*) echo 'Unit is masked.'; exit 1;; esac\n");
        chmod(script.c_str(), 0755);
        fs::create_directories(environment.runtime() / "systemd");
        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string name = (environment.runtime() / "systemd" / "private").string();
        name.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~UserInstance() { ::close(socket_); }
    std::string calls() const { return fs::exists(log_) ? test::readFile(log_) : ""; }

  private:
    fs::path log_;
    test::ScopedVariable path_;
    int socket_ = -1;
};

TEST(ScheduleCli, WithAUserInstanceEnablesAndDisablesTheTimerThroughSystemctl) {
    test::TempEnvironment environment;
    UserInstance instance(environment);
    const test::CliResult set = runCli({"schedule", "daily", "7:30"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_NE(set.out.find("kestrin-check.timer (active)\n"), std::string::npos) << set.out;
    EXPECT_EQ(set.out.find("crontab"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("command: " + kCli + " check /check --notify\n"), std::string::npos);
    EXPECT_EQ(instance.calls(),
              "--user daemon-reload\n--user enable kestrin-check.timer\n"
              "--user restart kestrin-check.timer\n");
    EXPECT_NE(runCli({"schedule"}).out.find("(active)"), std::string::npos);

    EXPECT_EQ(runCli({"schedule", "off"}).status, 0);
    EXPECT_EQ(instance.calls().substr(instance.calls().find("--user --quiet is-active")),
              "--user --quiet is-active kestrin-check.timer\n"
              "--user disable --now kestrin-check.timer\n--user daemon-reload\n");
    EXPECT_FALSE(fs::exists(unitFolder(environment) / "kestrin-check.timer"));
}

TEST(ScheduleCli, AFailingSystemctlIsReported) {
    test::TempEnvironment environment;
    UserInstance instance(environment, "enable");
    const test::CliResult set = runCli({"schedule", "hourly", "--options", "/checkall"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_NE(set.out.find("(not active: systemctl --user enable kestrin-check.timer failed: "
                           "Unit is masked.)\n"),
              std::string::npos)
        << set.out;
    EXPECT_NE(set.out.find("0 * * * * "), std::string::npos) << set.out;
}

TEST(ScheduleCli, RefusesBadArguments) {
    test::TempEnvironment environment;
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"daily"},
             {"daily", "9"},
             {"daily", "24:00"},
             {"daily", "12:60"},
             {"daily", "12:5"},
             {"daily", "-1:00"},
             {"hourly", "now"},
             {"weekly"},
             {"hourly", "--options", "/bogus"},
             {"hourly", "--options", "/checkauto"},
             {"hourly", "--options", "/check extra"},
             {"off", "--options", "/preset"},
             {"--options", "/preset"},
             {"hourly", "--options"},
             {"hourly", "--now"},
         }) {
        std::vector<std::string> command{"schedule"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const test::CliResult result = runCli(command);
        EXPECT_EQ(result.status, 2) << arguments.back();
        EXPECT_NE(result.err.find("usage: kestrin-cli schedule"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(unitFolder(environment)));
}

}  // namespace
}  // namespace kestrin
