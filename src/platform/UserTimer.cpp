#include "platform/UserTimer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

constexpr const char* kWrittenBy =
    "# Written by kestrin-cli schedule; change it with that command.\n";

bool isPlain(const std::string& word) {
    if (word.empty()) return false;
    for (const unsigned char c : word)
        if (!(std::isalnum(c) ||
              std::string_view("/._+-:,=@").find(char(c)) != std::string_view::npos))
            return false;
    return true;
}

// One word of a unit's command or assignment: "%" and "$" doubled (systemd expands them),
// quoted with C escapes unless it is plain.
std::string unitWord(const std::string& word) {
    std::string doubled;
    for (const char c : word) {
        if (c == '%' || c == '$') doubled += c;
        doubled += c;
    }
    if (isPlain(word)) return doubled;
    std::string quoted = "\"";
    for (const char c : doubled) {
        if (c == '\\' || c == '"') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\t') {
            quoted += "\\t";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

// The words of a value written by unitWord, back as they were.
std::vector<std::string> unitWords(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    const auto undouble = [](const std::string& w) {
        std::string out;
        for (std::size_t k = 0; k < w.size(); ++k) {
            out += w[k];
            if ((w[k] == '%' || w[k] == '$') && k + 1 < w.size() && w[k + 1] == w[k]) ++k;
        }
        return out;
    };
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            for (++i; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    const char next = text[++i];
                    word += next == 'n' ? '\n' : next == 't' ? '\t' : next;
                } else {
                    word += text[i];
                }
            }
            ++i;  // the closing quote
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t')
                word += text[i++];
        }
        words.push_back(undouble(word));
    }
    return words;
}

// A word for the shell that cron runs the line with.
std::string shellWord(const std::string& word) {
    if (isPlain(word)) return word;
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string twoDigits(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

std::string onCalendar(const TimerSchedule& schedule) {
    if (schedule.every == TimerSchedule::Every::Hour) return "*-*-* *:00:00";
    return "*-*-* " + twoDigits(schedule.hour) + ":" + twoDigits(schedule.minute) + ":00";
}

std::optional<TimerSchedule> scheduleOf(const std::string& calendar) {
    if (calendar == "*-*-* *:00:00") return TimerSchedule{TimerSchedule::Every::Hour, 0, 0};
    int hour = -1, minute = -1;
    char end = 0;
    if (calendar.size() == 14 &&
        std::sscanf(calendar.c_str(), "*-*-* %2d:%2d:00%c", &hour, &minute, &end) == 2 &&
        hour >= 0 && hour < 24 && minute >= 0 && minute < 60)
        return TimerSchedule{TimerSchedule::Every::Day, hour, minute};
    return std::nullopt;
}

fs::path unitFile(const std::string& name, const char* suffix) {
    return userUnitFolder() / (name + suffix);
}

fs::path wantsLink(const std::string& name) {
    return userUnitFolder() / "timers.target.wants" / (name + ".timer");
}

// "systemctl --user ..." through the user's instance; the note when it failed.
std::string systemctl(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{"--user"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const ProgramResult result = runProgram("systemctl", words);
    if (result.status == 0) return {};
    std::string command = "systemctl";
    for (const std::string& word : words)
        command += " " + word;
    std::string output = result.output;
    while (!output.empty() && output.back() == '\n')
        output.pop_back();
    return command + " failed" + (output.empty() ? "" : ": " + output);
}

// The first of the notes that is not empty.
std::string firstFailure(std::initializer_list<std::vector<std::string>> calls) {
    for (const auto& call : calls)
        if (std::string note = systemctl(call); !note.empty()) return note;
    return {};
}

// The value of the first "key=" line of a unit.
std::optional<std::string> valueOf(const std::string& unit, const std::string& key,
                                   std::vector<std::string>* all = nullptr) {
    std::istringstream lines(unit);
    std::optional<std::string> first;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + "=", 0) != 0) continue;
        std::string value = line.substr(key.size() + 1);
        if (all) all->push_back(value);
        if (!first) first = value;
    }
    return first;
}

}  // namespace

std::string scheduleText(const TimerSchedule& schedule) {
    if (schedule.every == TimerSchedule::Every::Hour) return "hourly";
    return "daily " + twoDigits(schedule.hour) + ":" + twoDigits(schedule.minute);
}

fs::path userUnitFolder() {
    return configFolder() / "systemd" / "user";
}

std::string serviceUnitText(const UserTimer& timer) {
    std::string text = kWrittenBy;
    text += "[Unit]\nDescription=" + timer.description +
            "\nDocumentation=man:kestrin-cli(1)\n\n[Service]\nType=oneshot\n";
    for (const auto& [name, value] : timer.environment)
        text += "Environment=" + unitWord(name + "=" + value) + "\n";
    text += "ExecStart=";
    for (std::size_t i = 0; i < timer.command.size(); ++i)
        text += (i ? " " : "") + unitWord(timer.command[i]);
    return text + "\n";
}

std::string timerUnitText(const UserTimer& timer) {
    return std::string(kWrittenBy) + "[Unit]\nDescription=" + timer.description + ", " +
           scheduleText(timer.schedule) + "\n\n[Timer]\nOnCalendar=" + onCalendar(timer.schedule) +
           "\n# A check missed while the computer was off runs when it is back.\nPersistent=true\n"
           "\n[Install]\nWantedBy=timers.target\n";
}

std::string commandLineText(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + shellWord(word);
    return line;
}

std::string crontabLine(const UserTimer& timer) {
    const TimerSchedule& s = timer.schedule;
    std::string line = s.every == TimerSchedule::Every::Hour
                           ? "0 * * * *"
                           : std::to_string(s.minute) + " " + std::to_string(s.hour) + " * * *";
    for (const auto& [name, value] : timer.environment)
        line += " " + name + "=" + shellWord(value);
    line += " " + commandLineText(timer.command);
    // cron takes "%" for a line break of the command's input.
    std::string escaped;
    for (const char c : line)
        escaped += c == '%' ? std::string("\\%") : std::string(1, c);
    return escaped;
}

bool userManagerRunning() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const fs::path folder = runtime && *runtime
                                ? fs::path(runtime)
                                : fs::path("/run/user") / std::to_string(::getuid());
    struct stat info {};
    return ::stat((folder / "systemd" / "private").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

TimerOutcome installUserTimer(const UserTimer& timer) {
    fs::create_directories(userUnitFolder());
    // The service first: a timer never names a service that is not there.
    writeFileAtomically(unitFile(timer.name, ".service"), serviceUnitText(timer));
    writeFileAtomically(unitFile(timer.name, ".timer"), timerUnitText(timer));

    const std::string unit = timer.name + ".timer";
    if (userManagerRunning()) {
        const std::string failure =
            firstFailure({{"daemon-reload"}, {"enable", unit}, {"restart", unit}});
        return {failure.empty(), failure};
    }
    const fs::path link = wantsLink(timer.name);
    fs::create_directories(link.parent_path());
    std::error_code ignored;
    fs::remove(link, ignored);
    fs::create_symlink(unitFile(timer.name, ".timer"), link);
    return {false, "no systemd user instance is running"};
}

TimerOutcome removeUserTimer(const std::string& name) {
    const bool running = userManagerRunning();
    std::string failure;
    std::error_code error;
    if (running && fs::exists(unitFile(name, ".timer"), error))
        failure = systemctl({"disable", "--now", name + ".timer"});
    for (const fs::path& file :
         {wantsLink(name), unitFile(name, ".timer"), unitFile(name, ".service")}) {
        if (fs::is_symlink(file, error) || fs::exists(file, error)) deleteFile(file);
    }
    if (running && failure.empty()) failure = systemctl({"daemon-reload"});
    return {false, failure};
}

std::optional<UserTimer> readUserTimer(const std::string& name) {
    const auto service = readFileIfExists(unitFile(name, ".service"));
    const auto timerUnit = readFileIfExists(unitFile(name, ".timer"));
    if (!service || !timerUnit) return std::nullopt;
    const auto calendar = valueOf(*timerUnit, "OnCalendar");
    const auto schedule = calendar ? scheduleOf(*calendar) : std::nullopt;
    const auto command = valueOf(*service, "ExecStart");
    if (!schedule || !command) return std::nullopt;

    UserTimer timer;
    timer.name = name;
    timer.description = valueOf(*service, "Description").value_or("");
    timer.schedule = *schedule;
    timer.command = unitWords(*command);
    std::vector<std::string> assignments;
    valueOf(*service, "Environment", &assignments);
    for (const std::string& assignment : assignments) {
        for (const std::string& word : unitWords(assignment)) {
            const std::size_t equals = word.find('=');
            if (equals != std::string::npos)
                timer.environment.emplace_back(word.substr(0, equals), word.substr(equals + 1));
        }
    }
    return timer;
}

bool userTimerActive(const std::string& name) {
    return userManagerRunning() &&
           runProgram("systemctl", {"--user", "--quiet", "is-active", name + ".timer"}).status == 0;
}

}  // namespace kestrin
