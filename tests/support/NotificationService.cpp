#include "support/NotificationService.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace kestrin::test {

namespace {

void check(int result, const char* what) {
    if (result < 0)
        throw std::runtime_error(std::string("notification service: ") + what + ": " +
                                 std::strerror(-result));
}

// One hint's value as text; other types are skipped.
std::string readVariant(sd_bus_message* message) {
    char type = 0;
    const char* contents = nullptr;
    check(sd_bus_message_peek_type(message, &type, &contents), "peek hint");
    check(sd_bus_message_enter_container(message, 'v', contents), "enter hint");
    std::string value;
    if (std::strcmp(contents, "s") == 0) {
        const char* text = nullptr;
        check(sd_bus_message_read(message, "s", &text), "read hint");
        value = text;
    } else if (std::strcmp(contents, "y") == 0) {
        std::uint8_t byte = 0;
        check(sd_bus_message_read(message, "y", &byte), "read hint");
        value = std::to_string(byte);
    } else if (std::strcmp(contents, "i") == 0) {
        std::int32_t number = 0;
        check(sd_bus_message_read(message, "i", &number), "read hint");
        value = std::to_string(number);
    } else {
        check(sd_bus_message_skip(message, contents), "skip hint");
        value = std::string("(") + contents + ")";
    }
    check(sd_bus_message_exit_container(message), "leave hint");
    return value;
}

}  // namespace

int NotificationService::notify(sd_bus_message* message, void* self, sd_bus_error*) {
    auto* service = static_cast<NotificationService*>(self);
    ReceivedNotification n;
    const char *appName, *icon, *summary, *body;
    check(sd_bus_message_read(message, "susss", &appName, &n.replacesId, &icon, &summary, &body),
          "read Notify");
    n.appName = appName;
    n.icon = icon;
    n.summary = summary;
    n.body = body;
    char** actions = nullptr;
    check(sd_bus_message_read_strv(message, &actions), "read actions");
    for (char** it = actions; it && *it; ++it) {
        n.actions.emplace_back(*it);
        free(*it);
    }
    free(actions);
    check(sd_bus_message_enter_container(message, 'a', "{sv}"), "enter hints");
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* key = nullptr;
        check(sd_bus_message_read(message, "s", &key), "read hint name");
        const std::string name = key;
        n.hints[name] = readVariant(message);
        check(sd_bus_message_exit_container(message), "leave hint entry");
    }
    check(sd_bus_message_exit_container(message), "leave hints");
    check(sd_bus_message_read(message, "i", &n.expireTimeout), "read time-out");

    std::uint32_t id = 0;
    {
        std::lock_guard lock(service->mutex_);
        service->received_.push_back(std::move(n));
        id = static_cast<std::uint32_t>(service->received_.size());
    }
    return sd_bus_reply_method_return(message, "u", id);
}

int NotificationService::capabilities(sd_bus_message* message, void* self, sd_bus_error*) {
    const bool markup = static_cast<NotificationService*>(self)->bodyMarkup_;
    return markup ? sd_bus_reply_method_return(message, "as", 2, "body", "body-markup")
                  : sd_bus_reply_method_return(message, "as", 1, "body");
}

int NotificationService::serverInformation(sd_bus_message* message, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(message, "ssss", "test-notifications", "Kestrin tests", "1.0",
                                      "1.2");
}

const sd_bus_vtable* NotificationService::vtable() {
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Notify", "susssasa{sv}i", "u", NotificationService::notify, 0),
        SD_BUS_METHOD("GetCapabilities", "", "as", NotificationService::capabilities, 0),
        SD_BUS_METHOD("GetServerInformation", "", "ssss", NotificationService::serverInformation,
                      0),
        SD_BUS_VTABLE_END,
    };
    return table;
}

NotificationService::NotificationService(const std::string& address, bool bodyMarkup)
    : bodyMarkup_(bodyMarkup) {
    check(sd_bus_new(&bus_), "new bus");
    check(sd_bus_set_address(bus_, address.c_str()), "bus address");
    check(sd_bus_set_bus_client(bus_, 1), "bus client");
    check(sd_bus_start(bus_), "connect");
    check(sd_bus_add_object_vtable(bus_, &slot_, "/org/freedesktop/Notifications",
                                   "org.freedesktop.Notifications", vtable(), this),
          "add object");
    check(sd_bus_request_name(bus_, "org.freedesktop.Notifications", 0), "own the name");
    if (::pipe(wakeUp_) != 0) throw std::runtime_error("notification service: pipe failed");
    thread_ = std::thread([this] { serve(); });
}

NotificationService::~NotificationService() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_[1], "x", 1);
    thread_.join();
    ::close(wakeUp_[0]);
    ::close(wakeUp_[1]);
    sd_bus_slot_unref(slot_);
    sd_bus_flush_close_unref(bus_);
}

std::vector<ReceivedNotification> NotificationService::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

// Handles messages until the destructor writes to the wake-up pipe.
void NotificationService::serve() {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
        }
        int result = 0;
        while ((result = sd_bus_process(bus_, nullptr)) > 0) {
        }
        if (result < 0) return;  // the bus went away
        pollfd fds[2] = {{sd_bus_get_fd(bus_), static_cast<short>(sd_bus_get_events(bus_)), 0},
                         {wakeUp_[0], POLLIN, 0}};
        ::poll(fds, 2, 100);
    }
}

}  // namespace kestrin::test
