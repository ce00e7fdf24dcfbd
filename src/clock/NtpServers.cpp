#include "clock/NtpServers.h"

#include <random>

namespace kestrin {

const std::vector<std::string>& ntpServerList() {
    static const std::vector<std::string> servers{
        "ntp.nict.jp",          "ntp.jst.mfeed.ad.jp",      "ntp1.jst.mfeed.ad.jp",
        "ntp2.jst.mfeed.ad.jp", "ntp3.jst.mfeed.ad.jp",     "s2csntp.miz.nao.ac.jp",
        "ntp.nc.u-tokyo.ac.jp", "clock.nc.fukuoka-u.ac.jp", "clock.tl.fukuoka-u.ac.jp",
        "ats1.e-timing.ne.jp",  "jp.pool.ntp.org",          "0.jp.pool.ntp.org",
        "1.jp.pool.ntp.org",    "2.jp.pool.ntp.org",        "3.jp.pool.ntp.org",
    };
    return servers;
}

std::string randomNtpServer() {
    const std::vector<std::string>& servers = ntpServerList();
    std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, servers.size() - 1);
    return servers[pick(generator)];
}

}  // namespace kestrin
