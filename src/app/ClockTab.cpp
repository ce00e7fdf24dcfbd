#include "app/ClockTab.h"

#include "app/CheckRun.h"
#include "app/NumberEdit.h"
#include "app/Settings.h"
#include "clock/NetTimeSync.h"

namespace kestrin {

namespace {

// The results of a synchronisation that ended before its request was sent.
bool requestWentOut(const std::string& status) {
    for (const char* unsent :
         {ntpstatus::kInvalidHost, ntpstatus::kPortInUse, ntpstatus::kSocketError}) {
        if (status == std::string("NTP: ") + unsent) return false;
    }
    return true;
}

}  // namespace

ClockFields withDefaultLimits(ClockFields fields) {
    const Settings defaults;
    fields.timeOut = std::to_string(defaults.ntpTimeOut);
    fields.allowableError = std::to_string(defaults.ntpIgnoreError);
    return fields;
}

ClockField synchronizeClock(const ClockFields& fields,
                            std::function<void(const NtpStatusLine&)> showStatus,
                            const NtpPorts& ports) {
    CheckRunSettings limits;
    limits.ntpServer = fields.server;
    const std::optional<int> timeOut = decimalNumber(fields.timeOut);
    const std::optional<int> allowableError = decimalNumber(fields.allowableError);
    if (!timeOut || !allowableError) {
        tellNotANumber();
        return timeOut ? ClockField::AllowableError : ClockField::TimeOut;
    }
    limits.ntpTimeOut = *timeOut;
    limits.ntpAllowableError = *allowableError;

    showStatus({kNtpConnectingText, false});
    NetTimeSynchronizer synchronizer(
        limits,
        [showStatus](const std::string& status) {
            showStatus({status, requestWentOut(status)});
        },
        false);
    synchronizer.serverPort = ports.server;
    synchronizer.localPort = ports.local;
    synchronizer.synchronize();
    return ClockField::None;
}

}  // namespace kestrin
