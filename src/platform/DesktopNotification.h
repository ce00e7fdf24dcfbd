#pragma once
// Desktop notifications: one message to the notification server of the user's session over the
// session bus (the freedesktop org.freedesktop.Notifications interface), through sd-bus.
//
// The bus is the one DBUS_SESSION_BUS_ADDRESS names, else $XDG_RUNTIME_DIR/bus, else
// /run/user/UID/bus: a run started by cron has neither variable, but the user's bus is there
// while they are logged in.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kestrin {

struct DesktopNotification {
    std::string appName;
    std::string icon;          // an icon theme name or a file
    std::string desktopEntry;  // the desktop entry's id, without ".desktop" (the server shows
                               // the program's name and icon from it)
    std::string summary;
    std::string body;  // plain text: escaped here when the server takes mark-up
};

struct ENotificationError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Shows the notification and returns the server's id for it. Raises ENotificationError when
// there is no session bus, no notification server on it, or the server refuses.
std::uint32_t sendDesktopNotification(const DesktopNotification& notification);

// The body as a server with the "body-markup" capability reads it: "&", "<" and ">" escaped.
std::string notificationMarkup(const std::string& text);

}  // namespace kestrin
