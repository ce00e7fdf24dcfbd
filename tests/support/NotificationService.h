#pragma once
// A small notification server of our own: it owns org.freedesktop.Notifications on a private
// session bus, answers Notify, GetCapabilities and GetServerInformation as a desktop's server
// does, and records every notification it received. It serves from a thread of its own, so a
// test can run kestrin-cli as a child process meanwhile.

#include <systemd/sd-bus.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrin::test {

struct ReceivedNotification {
    std::string appName;
    std::uint32_t replacesId = 0;
    std::string icon;
    std::string summary;
    std::string body;
    std::vector<std::string> actions;
    std::map<std::string, std::string> hints;  // string and integer hints, as text
    std::int32_t expireTimeout = 0;
};

class NotificationService {
  public:
    // Serves on the bus at `address`; with `bodyMarkup` it announces the "body-markup"
    // capability. Returns once the name is owned.
    NotificationService(const std::string& address, bool bodyMarkup = true);
    ~NotificationService();
    NotificationService(const NotificationService&) = delete;
    NotificationService& operator=(const NotificationService&) = delete;

    std::vector<ReceivedNotification> received() const;

  private:
    static int notify(sd_bus_message* message, void* self, sd_bus_error* error);
    static int capabilities(sd_bus_message* message, void* self, sd_bus_error* error);
    static int serverInformation(sd_bus_message* message, void* self, sd_bus_error* error);
    static const sd_bus_vtable* vtable();
    void serve();

    bool bodyMarkup_;
    sd_bus* bus_ = nullptr;
    sd_bus_slot* slot_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<ReceivedNotification> received_;
    bool stopping_ = false;
    int wakeUp_[2] = {-1, -1};  // a pipe that ends the serving thread's wait
    std::thread thread_;
};

}  // namespace kestrin::test
