// kestrin-cli schedule: unattended checks on a schedule, through a systemd user timer (or the
// equivalent crontab line where no systemd user instance runs). The timer runs
// "kestrin-cli check OPTION --notify", so a run that finds something tells the desktop.

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "cli/Command.h"
#include "platform/Paths.h"
#include "platform/UserTimer.h"
#include "text/Ascii.h"

namespace kestrin::cli {

namespace {

constexpr const char* kTimerName = "kestrin-check";

// "HH:MM" (or "H:MM") of a day.
TimerSchedule dailyAt(const std::string& time) {
    const std::size_t colon = time.find(':');
    const auto digits = [](const std::string& part, std::size_t most) {
        return !part.empty() && part.size() <= most &&
               std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (colon != std::string::npos) {
        const std::string hour = time.substr(0, colon), minute = time.substr(colon + 1);
        if (digits(hour, 2) && minute.size() == 2 && digits(minute, 2) && std::stoi(hour) < 24 &&
            std::stoi(minute) < 60)
            return {TimerSchedule::Every::Day, std::stoi(hour), std::stoi(minute)};
    }
    throw UsageError("'" + time + "' is no time of day (HH:MM, 00:00 to 23:59)");
}

// The check's option words: "/check", "/checkall", "/preset", "/revset", or "/checkauto KEY"
// (the rest of the text is the author key).
std::vector<std::string> checkOptions(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t");
    const std::size_t end = start == std::string::npos ? start : text.find_first_of(" \t", start);
    const std::string option =
        asciiLowered(start == std::string::npos ? "" : text.substr(start, end - start));
    std::string rest = end == std::string::npos ? "" : text.substr(end);
    rest.erase(0, rest.find_first_not_of(" \t"));
    rest.erase(rest.find_last_not_of(" \t") + 1);
    const std::optional<CheckOption> named = checkOptionNamed(option);
    if (!named || *named == CheckOption::None)
        throw UsageError("unknown check option '" + text + "'");
    if (*named == CheckOption::CheckAuto) {
        if (rest.empty()) throw UsageError("/checkauto needs an author KEY");
        return {option, rest};
    }
    if (!rest.empty()) throw UsageError("unexpected '" + rest + "' after " + option);
    return {option};
}

// The check the timer runs: this program with the options and "--notify", and the store and
// Favorites this command was given, so that the scheduled run checks the same ones.
UserTimer checkTimer(const TimerSchedule& schedule, const std::vector<std::string>& options) {
    UserTimer timer;
    timer.name = kTimerName;
    timer.description = "Kestrin 2001 update check";
    timer.schedule = schedule;
    timer.command = {programPath().string(), "check"};
    timer.command.insert(timer.command.end(), options.begin(), options.end());
    timer.command.push_back("--notify");
    for (const char* name : {"KESTRIN_REGISTRY", "KESTRIN_FAVORITES"}) {
        if (const char* value = std::getenv(name); value && *value)
            timer.environment.emplace_back(name, value);
    }
    return timer;
}

void printTimerFile(const TimerOutcome& outcome) {
    std::cout << "timer: " << (userUnitFolder() / (std::string(kTimerName) + ".timer")).string()
              << (outcome.active ? " (active)\n" : " (not active: " + outcome.note + ")\n");
}

int show() {
    const auto timer = readUserTimer(kTimerName);
    if (!timer) {
        std::cout << "no scheduled check\n";
        return 0;
    }
    std::cout << "schedule: " << scheduleText(timer->schedule) << '\n'
              << "command: " << commandLineText(timer->command) << '\n';
    const bool running = userManagerRunning();
    const bool active = running && userTimerActive(kTimerName);
    printTimerFile(
        {active, running ? "the timer is stopped" : "no systemd user instance is running"});
    if (!running) std::cout << "crontab line: " << crontabLine(*timer) << '\n';
    return 0;
}

int install(const TimerSchedule& schedule, const std::vector<std::string>& options) {
    const UserTimer timer = checkTimer(schedule, options);
    const TimerOutcome outcome = installUserTimer(timer);
    std::cout << "schedule: " << scheduleText(schedule) << '\n'
              << "command: " << commandLineText(timer.command) << '\n';
    printTimerFile(outcome);
    if (!outcome.active) {
        std::cout << "To check on this schedule with cron instead, add this line with "
                     "\"crontab -e\":\n"
                  << crontabLine(timer) << '\n';
    }
    return 0;
}

int remove() {
    const bool existed = readUserTimer(kTimerName).has_value();
    const TimerOutcome outcome = removeUserTimer(kTimerName);
    if (!outcome.note.empty()) std::cerr << "kestrin-cli schedule: " << outcome.note << '\n';
    std::cout << (existed ? "the scheduled check was removed" : "no scheduled check") << '\n'
              << "(a crontab line you added for it stays: remove it with \"crontab -e\")\n";
    return outcome.note.empty() ? 0 : 1;
}

int runSchedule(const Arguments& arguments) {
    std::vector<std::string> words;
    std::string options = "/check";
    bool optionsGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--options") {
            if (i + 1 == arguments.size()) throw UsageError("--options needs a check option");
            options = arguments[++i];
            optionsGiven = true;
        } else if (arguments[i].rfind("--", 0) == 0) {
            throw UsageError("unknown option '" + arguments[i] + "'");
        } else {
            words.push_back(arguments[i]);
        }
    }
    const std::vector<std::string> checkWords = checkOptions(options);
    if (words.empty() && !optionsGiven) return show();
    const std::string when = words.empty() ? "" : words.front();
    if (when == "daily" && words.size() == 2) return install(dailyAt(words[1]), checkWords);
    if (when == "hourly" && words.size() == 1)
        return install({TimerSchedule::Every::Hour, 0, 0}, checkWords);
    if (when == "off" && words.size() == 1 && !optionsGiven) return remove();
    throw UsageError(words.empty() ? "--options needs daily HH:MM or hourly"
                                   : "unexpected arguments");
}

const CommandRegistration registration(
    "schedule",
    "schedule [daily HH:MM | hourly | off] [--options \"/check | /checkall | /checkauto KEY | "
    "/preset | /revset\"]",
    runSchedule);

}  // namespace

}  // namespace kestrin::cli
