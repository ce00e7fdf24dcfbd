#pragma once
// The NTP servers the clock page offers: public servers of Japanese universities, institutes
// and providers. The user may type any other.

#include <string>
#include <vector>

namespace kestrin {

const std::vector<std::string>& ntpServerList();

// A server of the list, each equally likely (the generator is seeded anew at every call).
std::string randomNtpServer();

}  // namespace kestrin
