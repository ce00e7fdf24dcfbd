// kestrin-cli sntp: one synchronisation with a time server, as the clock page runs it. The
// clock is left alone unless --set is given.

#include <time.h>

#include <cstdio>
#include <optional>

#include "cli/Command.h"
#include "clock/NetTimeSync.h"
#include "platform/PollPump.h"

namespace kestrin::cli {

namespace {

using namespace std::chrono;

// The clock page's defaults.
constexpr int kDefaultTimeOut = 750;
constexpr int kDefaultAllowableError = 200;

struct SntpOptions {
    std::string server;
    std::uint16_t port = 123;
    std::uint16_t localPort = 11922;
    int timeOut = kDefaultTimeOut;
    int allowableError = kDefaultAllowableError;
    bool setClock = false;
};

long parseNumber(const std::string& text, const std::string& what, long max) {
    bool digits = !text.empty() && text.size() <= 9 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stol(text) > max) {
        throw UsageError(what + " must be a number from 0 to " + std::to_string(max) + ": '" +
                         text + "'");
    }
    return std::stol(text);
}

std::uint16_t parsePort(const std::string& text, const std::string& what) {
    return static_cast<std::uint16_t>(parseNumber(text, what, 65535));
}

SntpOptions parseOptions(const Arguments& arguments) {
    SntpOptions options;
    std::optional<std::string> target;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw UsageError(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--set") {
            options.setClock = true;
        } else if (argument == "--timeout") {
            options.timeOut = static_cast<int>(parseNumber(value(), argument, 999999999));
        } else if (argument == "--allowable") {
            options.allowableError = static_cast<int>(parseNumber(value(), argument, 999999999));
        } else if (argument == "--local-port") {
            options.localPort = parsePort(value(), argument);
        } else if (argument.rfind("--", 0) == 0) {
            throw UsageError("unknown option " + argument);
        } else if (target) {
            throw UsageError("one server only");
        } else {
            target = argument;
        }
    }
    if (!target) throw UsageError("no server given");
    auto colon = target->rfind(':');
    options.server = target->substr(0, colon);
    if (colon != std::string::npos) options.port = parsePort(target->substr(colon + 1), "PORT");
    if (options.server.empty()) throw UsageError("no server given");
    return options;
}

// Stands in for the system clock when the clock must not change: the real time and ticks, and
// a record of the time that would have been set.
class DryRunClock : public SystemClock {
  public:
    explicit DryRunClock(SystemClock& real) : real_(real) {}
    std::uint32_t tickCount() override { return real_.tickCount(); }
    TimePoint now() override { return real_.now(); }
    bool hasSetTimePrivilege() override { return true; }
    bool setTime(TimePoint time) override {
        wouldSet = time;
        return true;
    }
    std::optional<TimePoint> wouldSet;

  private:
    SystemClock& real_;
};

std::string formatUtc(SystemClock::TimePoint time) {
    time_t seconds = system_clock::to_time_t(floor<std::chrono::seconds>(time));
    tm utc{};
    gmtime_r(&seconds, &utc);
    char text[64];
    auto millis = floor<milliseconds>(time - floor<std::chrono::seconds>(time)).count();
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03lld UTC", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<long long>(millis));
    return text;
}

// Installs a pump and a clock for the length of the command.
struct ScopedSeams {
    ScopedSeams(MessagePump& pump, SystemClock* clock) {
        installMessagePump(&pump);
        if (clock) installSystemClock(clock);
    }
    ~ScopedSeams() {
        installMessagePump(nullptr);
        installSystemClock(nullptr);
    }
};

int runSntp(const Arguments& arguments) {
    const SntpOptions options = parseOptions(arguments);
    PollPump pump;
    DryRunClock dryRun(systemClock());
    ScopedSeams seams(pump, options.setClock ? nullptr : &dryRun);

    auto sync = std::make_unique<TVNetTimeSync>();
    sync->Server = options.server;
    sync->ServerPort = options.port;
    sync->LocalPort = options.localPort;
    sync->TimeOut = options.timeOut;
    sync->AllowableError = options.allowableError;
    std::string status;
    std::optional<milliseconds> offset;
    sync->OnStatus = [&](TVNetTimeSync& sender, const std::string& message) {
        status = message;
        offset = sender.measuredOffset();
    };
    TVNetTimeSync::Sync(std::move(sync));
    // The synchronisation's own give-up timer bounds the wait.
    while (TVNetTimeSync::pendingCount() > 0)
        pump.waitOnce(milliseconds(100));

    if (offset) std::printf("offset: %+lld ms\n", static_cast<long long>(offset->count()));
    if (dryRun.wouldSet) {
        std::printf("would set the clock to %s; not set without --set\n",
                    formatUtc(*dryRun.wouldSet).c_str());
        return 0;
    }
    if (status != ntpstatus::kAllowableErrorRange && status != ntpstatus::kClockSynchronized) {
        std::fflush(stdout);
        throw std::runtime_error(status);
    }
    std::printf("%s\n", status.c_str());
    return 0;
}

const CommandRegistration registration(
    "sntp", "sntp SERVER[:PORT] [--timeout MS] [--allowable MS] [--local-port N] [--set]", runSntp);

}  // namespace

}  // namespace kestrin::cli
