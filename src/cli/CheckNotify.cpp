#include "cli/CheckNotify.h"

#include <iostream>

#include "app/ResultsNotification.h"

namespace kestrin::cli {

void notifyDesktop(const CheckResults& results) {
    const auto notification = resultsNotification(results);
    if (!notification) return;
    try {
        sendDesktopNotification(*notification);
    } catch (const ENotificationError& error) {
        std::cerr << "kestrin-cli check: no desktop notification: " << error.what() << '\n';
    }
}

}  // namespace kestrin::cli
