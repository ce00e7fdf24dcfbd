#pragma once
// "kestrin-cli check --notify": the run's results as a desktop notification.

#include "app/CheckRun.h"

namespace kestrin::cli {

// Raises the notification when the run found updates or notices. Without a session bus or a
// notification server it says so in one line on standard error; the check itself succeeded.
void notifyDesktop(const CheckResults& results);

}  // namespace kestrin::cli
