#pragma once
// The decisions of the clock tab: its buttons, and what the status line at the bottom of the
// main window says while a synchronisation goes on.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kestrin {

// The tab's text fields as the user left them.
struct ClockFields {
    std::string server;          // cmbNTPServer
    std::string timeOut;         // edtNTPTimeOut, ms
    std::string allowableError;  // edtNTPAllowableError, ms

    bool operator==(const ClockFields&) const = default;
};

// btnNTPDefault: the two limits as a fresh installation has them ("750", "200").
ClockFields withDefaultLimits(ClockFields fields);

// One text of the status line, and whether the line is cleared a few seconds later.
struct NtpStatusLine {
    std::string text;
    bool clearLater = false;

    bool operator==(const NtpStatusLine&) const = default;
};

inline constexpr const char* kNtpConnectingText = "Connect to NTP server...";

// The UDP ports of a synchronisation; nullopt keeps the SNTP client's own (123, 11922).
struct NtpPorts {
    std::optional<std::uint16_t> server;
    std::optional<std::uint16_t> local;
};

// The field whose text stopped a synchronisation.
enum class ClockField { None, TimeOut, AllowableError };

// btnNTPSynchronize, and the synchronisation after a run: shows kNtpConnectingText, sends the
// request and later shows the result after "NTP: ". A result is cleared later when the request
// went out; one that says it never did (the server has no address, the local port is taken)
// stays until the next synchronisation. A limit that is no number stops it before anything is
// shown: the user is told and the field is returned.
ClockField synchronizeClock(const ClockFields& fields,
                            std::function<void(const NtpStatusLine&)> showStatus,
                            const NtpPorts& ports = {});

}  // namespace kestrin
