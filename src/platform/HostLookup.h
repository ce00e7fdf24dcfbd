#pragma once
// Host name lookup without blocking the pump: getaddrinfo has no non-blocking form, so it runs
// in a helper thread whose result the caller polls between pump turns. Abandoning a lookup (a
// cancel, or the object ending) never waits for the thread: the thread keeps its own share of
// the state and finishes alone.

#include <netinet/in.h>

#include <memory>
#include <string>
#include <vector>

namespace kestrin {

class HostLookup {
  public:
    // Starts looking up the IPv4 addresses of `host` (a name or a dotted address).
    explicit HostLookup(const std::string& host);
    ~HostLookup() = default;
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;

    bool done() const;
    // Once done: the addresses found; empty when the host does not resolve.
    std::vector<in_addr> addresses() const;

  private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace kestrin
