#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "clock/NetTimeSync.h"
#include "platform/PollPump.h"
#include "support/FakeClock.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;

constexpr const char* kChronyd = "/usr/sbin/chronyd";

sockaddr_in loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

std::uint16_t freeUdpPort() {
    int probe = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    bind(probe, reinterpret_cast<sockaddr*>(&address), size);
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
    close(probe);
    return ntohs(address.sin_port);
}

// chronyd serving its own clock on 127.0.0.1 from a temporary folder. -x keeps it from ever
// steering this machine's clock.
class Chrony {
  public:
    Chrony() : port_(freeUdpPort()) {
        test::writeFile(folder_ / "chrony.conf",
                        "port " + std::to_string(port_) +
                            "\nbindaddress 127.0.0.1\nlocal stratum 8\nallow 127.0.0.1\n"
                            "cmdport 0\nbindcmdaddress " +
                            (folder_ / "chronyd.sock").string() + "\ndriftfile " +
                            (folder_ / "drift").string() + "\npidfile " +
                            (folder_ / "chronyd.pid").string() + "\n");
        const std::string user = getpwuid(getuid())->pw_name;
        const std::string conf = (folder_ / "chrony.conf").string();
        const std::string log = (folder_ / "chronyd.log").string();
        pid_ = fork();
        if (pid_ == 0) {
            freopen(log.c_str(), "w", stdout);
            freopen(log.c_str(), "a", stderr);
            execl(kChronyd, kChronyd, "-x", "-d", "-u", user.c_str(), "-f", conf.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Chrony() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

    std::uint16_t port() const { return port_; }
    std::string log() const { return test::readFile(folder_ / "chronyd.log"); }

    // Sends client requests until one is answered.
    bool waitUntilServing() const {
        int probe = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in server = loopback(port_);
        char request[48] = {0x1B};
        bool answered = false;
        for (int attempt = 0; attempt < 100 && !answered; ++attempt) {
            sendto(probe, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&server),
                   sizeof server);
            pollfd ready{probe, POLLIN, 0};
            answered = poll(&ready, 1, 100) == 1;
        }
        close(probe);
        return answered;
    }

  private:
    test::TempFolder folder_;
    std::uint16_t port_;
    pid_t pid_ = -1;
};

TEST(Chrony, SynchronisationWithoutSettingMeasuresASmallOffset) {
    if (!std::filesystem::exists(kChronyd)) {
        GTEST_SKIP() << kChronyd << " is missing: install the chrony package to run this test";
    }
    Chrony chrony;
    ASSERT_TRUE(chrony.waitUntilServing()) << chrony.log();

    PollPump pump;
    installMessagePump(&pump);
    test::FakeClock clock;  // the real time; settings are only recorded
    auto sync = std::make_unique<TVNetTimeSync>();
    sync->Server = "127.0.0.1";
    sync->ServerPort = chrony.port();
    sync->LocalPort = 0;
    std::vector<std::string> reports;
    std::optional<std::chrono::milliseconds> offset;
    sync->OnStatus = [&](TVNetTimeSync& sender, const std::string& message) {
        reports.push_back(message);
        offset = sender.measuredOffset();
    };
    TVNetTimeSync::Sync(std::move(sync));
    EXPECT_TRUE(pump.runUntil([] { return TVNetTimeSync::pendingCount() == 0; }, 10s));
    installMessagePump(nullptr);

    EXPECT_EQ(reports, std::vector<std::string>{"Allowable Error Range"});
    ASSERT_TRUE(offset.has_value());
    EXPECT_LT(std::chrono::abs(*offset), 50ms);
    EXPECT_TRUE(clock.settings().empty());
}

}  // namespace
}  // namespace kestrin
