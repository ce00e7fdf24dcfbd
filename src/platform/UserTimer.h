#pragma once
// A command run on a schedule for this user, the stand-in for the Windows task scheduler: a
// systemd user timer and its service in $XDG_CONFIG_HOME/systemd/user, enabled through the
// user's systemd instance when one runs. Where none runs the units are written all the same
// (and linked into timers.target, as "systemctl --user enable" does, so the next systemd
// session starts them), and crontabLine() gives the line that does the same with cron.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrin {

struct TimerSchedule {
    enum class Every { Day, Hour };
    Every every = Every::Day;
    int hour = 0;  // Day: the time of day; Hour: on the hour
    int minute = 0;

    bool operator==(const TimerSchedule&) const = default;
};

struct UserTimer {
    std::string name;         // the units' file names without ".timer" / ".service"
    std::string description;  // what the service does
    TimerSchedule schedule;
    std::vector<std::string> command;  // an absolute program file and its arguments
    std::vector<std::pair<std::string, std::string>> environment;  // set for the command

    bool operator==(const UserTimer&) const = default;
};

// "daily 09:00" or "hourly".
std::string scheduleText(const TimerSchedule& schedule);

// $XDG_CONFIG_HOME/systemd/user.
std::filesystem::path userUnitFolder();
std::string serviceUnitText(const UserTimer& timer);
std::string timerUnitText(const UserTimer& timer);
// The command as a shell would take it: words quoted where needed.
std::string commandLineText(const std::vector<std::string>& words);
// The crontab line that runs the command on the same schedule.
std::string crontabLine(const UserTimer& timer);

// Whether the user's systemd instance runs (its private socket in $XDG_RUNTIME_DIR).
bool userManagerRunning();

// What installing or removing did.
struct TimerOutcome {
    bool active = false;  // the user's systemd instance runs the timer now
    std::string note;     // why not, or what went wrong; empty when active or nothing to say
};

// Writes (or replaces) both units and enables the timer. Raises when the files cannot be
// written; a failing systemctl is reported in the outcome.
TimerOutcome installUserTimer(const UserTimer& timer);
// Stops and disables the timer and removes both units; true in `active` never. Nothing to
// remove is no error.
TimerOutcome removeUserTimer(const std::string& name);

// The timer as installUserTimer wrote it; nullopt when its units are missing or are not of the
// form written here.
std::optional<UserTimer> readUserTimer(const std::string& name);
// Whether the user's systemd instance has the timer active.
bool userTimerActive(const std::string& name);

}  // namespace kestrin
