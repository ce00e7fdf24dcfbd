#include "platform/DesktopNotification.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "text/Utf8.h"

namespace kestrin {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObject = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
// A server that does not answer must not hold a scheduled check for long.
constexpr std::uint64_t kCallTimeoutUsec = 5'000'000;

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Bus = std::unique_ptr<sd_bus, BusUnref>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// Frees the error's texts when the call is done.
struct CallError {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ~CallError() { sd_bus_error_free(&error); }
};

[[noreturn]] void fail(const std::string& what, int code) {
    throw ENotificationError(what + ": " + std::strerror(code < 0 ? -code : code));
}

void check(int result, const char* what) {
    if (result < 0) fail(what, result);
}

std::string sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return address;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string("unix:path=") + runtime + "/bus";
    return "unix:path=/run/user/" + std::to_string(::getuid()) + "/bus";
}

Bus openSessionBus() {
    sd_bus* raw = nullptr;
    check(sd_bus_new(&raw), "cannot create a bus connection");
    Bus bus(raw);
    const std::string address = sessionBusAddress();
    check(sd_bus_set_address(bus.get(), address.c_str()), "bad session bus address");
    check(sd_bus_set_bus_client(bus.get(), 1), "cannot set up the bus connection");
    const int started = sd_bus_start(bus.get());
    if (started < 0) fail("no session bus at " + address, started);
    return bus;
}

Message newCall(sd_bus* bus, const char* method) {
    sd_bus_message* raw = nullptr;
    check(sd_bus_message_new_method_call(bus, &raw, kService, kObject, kInterface, method),
          "cannot build the notification");
    return Message(raw);
}

// The reply; a failed call raises with `what` and the bus's own explanation.
Message call(sd_bus* bus, sd_bus_message* message, const std::string& what) {
    CallError error;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call(bus, message, kCallTimeoutUsec, &error.error, &reply);
    if (result < 0)
        throw ENotificationError(
            what + ": " + (error.error.message ? error.error.message : std::strerror(-result)));
    return Message(reply);
}

bool takesBodyMarkup(sd_bus* bus) {
    Message reply = call(bus, newCall(bus, "GetCapabilities").get(),
                         "no notification server on the session bus");
    char** capabilities = nullptr;
    check(sd_bus_message_read_strv(reply.get(), &capabilities), "bad capabilities");
    bool markup = false;
    for (char** it = capabilities; it && *it; ++it) {
        markup = markup || std::strcmp(*it, "body-markup") == 0;
        std::free(*it);
    }
    std::free(capabilities);
    return markup;
}

}  // namespace

std::string notificationMarkup(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else {
            out += c;
        }
    }
    return out;
}

std::uint32_t sendDesktopNotification(const DesktopNotification& notification) {
    Bus bus = openSessionBus();
    const std::string body = toValidUtf8(notification.body);
    const std::string shownBody = takesBodyMarkup(bus.get()) ? notificationMarkup(body) : body;

    Message message = newCall(bus.get(), "Notify");
    sd_bus_message* m = message.get();
    const std::uint32_t replacesId = 0;
    const std::int32_t expireTimeout = -1;  // the server's default
    check(sd_bus_message_append(m, "susss", toValidUtf8(notification.appName).c_str(), replacesId,
                                toValidUtf8(notification.icon).c_str(),
                                toValidUtf8(notification.summary).c_str(), shownBody.c_str()),
          "cannot build the notification");
    check(sd_bus_message_append_strv(m, nullptr), "cannot build the notification");  // no actions
    check(sd_bus_message_append(m, "a{sv}", 2, "desktop-entry", "s",
                                toValidUtf8(notification.desktopEntry).c_str(), "urgency", "y",
                                std::uint8_t{1}),
          "cannot build the notification");
    check(sd_bus_message_append(m, "i", expireTimeout), "cannot build the notification");

    Message reply = call(bus.get(), m, "the notification server refused it");
    std::uint32_t id = 0;
    check(sd_bus_message_read(reply.get(), "u", &id), "bad reply of the notification server");
    return id;
}

}  // namespace kestrin
