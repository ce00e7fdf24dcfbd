#include "platform/HostLookup.h"

#include <netdb.h>
#include <sys/socket.h>

#include <mutex>
#include <thread>

namespace kestrin {

struct HostLookup::State {
    std::mutex mutex;
    bool done = false;
    std::vector<in_addr> addresses;
};

namespace {
std::vector<in_addr> resolve(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    std::vector<in_addr> found;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0) return found;
    for (addrinfo* entry = list; entry; entry = entry->ai_next) {
        found.push_back(reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr);
    }
    freeaddrinfo(list);
    return found;
}
}  // namespace

HostLookup::HostLookup(const std::string& host) : state_(std::make_shared<State>()) {
    std::thread([state = state_, host] {
        auto found = host.empty() ? std::vector<in_addr>() : resolve(host);
        std::lock_guard lock(state->mutex);
        state->addresses = std::move(found);
        state->done = true;
    }).detach();
}

bool HostLookup::done() const {
    std::lock_guard lock(state_->mutex);
    return state_->done;
}

std::vector<in_addr> HostLookup::addresses() const {
    std::lock_guard lock(state_->mutex);
    return state_->addresses;
}

}  // namespace kestrin
