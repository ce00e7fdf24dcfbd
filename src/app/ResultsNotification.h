#pragma once
// The desktop notification that tells of a finished check run, for runs nobody watches (the
// scheduled "kestrin-cli check --notify").

#include <optional>

#include "app/CheckRun.h"
#include "platform/DesktopNotification.h"

namespace kestrin {

// How many names of updates (and of authors with a notice) the body lists before "ほか".
inline constexpr std::size_t kNotifiedNames = 3;

// The notification of a run's results: summary "Kestrin 2001", a body line with the number of
// updates and the first names, and one with the authors who sent a notice. Nothing when the
// run found neither.
std::optional<DesktopNotification> resultsNotification(const CheckResults& results);

}  // namespace kestrin
