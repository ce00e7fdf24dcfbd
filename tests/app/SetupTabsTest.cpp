// The decisions of the setting-up tabs: the proxy tab's enabling and browser import, the
// number check of the numeric edits, the extension editor, the clock tab's buttons and status
// line, and the author's page.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/AuthorTab.h"
#include "app/ClockTab.h"
#include "app/NumberEdit.h"
#include "app/OptionsTab.h"
#include "app/ProxyTab.h"
#include "app/Settings.h"
#include "catalogue/CatalogueFixture.h"
#include "clock/NetTimeSync.h"
#include "platform/Dialogs.h"
#include "platform/PollPump.h"
#include "support/FakeClock.h"
#include "support/SntpResponder.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using namespace std::chrono_literals;

// A private store and scripted dialogs for one test.
class SetupTabsTest : public ::testing::Test {
  protected:
    const ScriptedDialogs::Shown& onlyMessage() {
        EXPECT_EQ(dialogs_.shown().size(), 1u);
        static const ScriptedDialogs::Shown none{};
        return dialogs_.shown().empty() ? none : dialogs_.shown().front();
    }

    test::TempEnvironment environment_;
    ScriptedDialogs dialogs_;
    ScopedDialogs scoped_{dialogs_};
};

TEST(ProxyTab, TheSwitchEnablesTheServerAndBothTheAuthentication) {
    EXPECT_EQ(proxyEnabling(false, false), (ProxyEnabling{false, false}));
    EXPECT_EQ(proxyEnabling(false, true), (ProxyEnabling{false, false}));
    EXPECT_EQ(proxyEnabling(true, false), (ProxyEnabling{true, false}));
    EXPECT_EQ(proxyEnabling(true, true), (ProxyEnabling{true, true}));
}

TEST_F(SetupTabsTest, ANumericEditTakesDigitsOnly) {
    struct Case {
        const char* text;
        bool accepted;
    } cases[] = {{"", true},     {"0", true},           {"8080", true},
                 {"0080", true}, {"99999999999", true}, {"80a", false},
                 {" 80", false}, {"-1", false},         {"+1", false},
                 {"１", false},  {"8.0", false}};
    for (const Case& c : cases) {
        dialogs_.clear();
        EXPECT_EQ(numberEditAccepted(c.text), c.accepted) << c.text;
        if (c.accepted) {
            EXPECT_TRUE(dialogs_.shown().empty()) << c.text;
        } else {
            const auto& shown = onlyMessage();
            EXPECT_EQ(shown.text, "整数を指定して下さい");
            EXPECT_EQ(shown.caption, "不正な文字");
            EXPECT_EQ(shown.icon, DialogIcon::Error);
        }
    }
    // A number within int, else the fallback.
    EXPECT_EQ(numberOr("0", 750), 0);
    EXPECT_EQ(numberOr("1500", 750), 1500);
    for (const char* noNumber : {"", "x", "99999999999"})
        EXPECT_EQ(numberOr(noNumber, 750), 750) << noNumber;
}

TEST_F(SetupTabsTest, APasswordTheStoreCannotKeepIsRefusedWithTheReason) {
    EXPECT_TRUE(passwordAccepted("p@ss word~"));
    EXPECT_TRUE(passwordAccepted(""));
    EXPECT_TRUE(dialogs_.shown().empty());
    EXPECT_FALSE(passwordAccepted("日本語"));
    EXPECT_EQ(onlyMessage().caption, "パスワードエラー");
    EXPECT_EQ(onlyMessage().icon, DialogIcon::Error);
}

TEST_F(SetupTabsTest, TheExtensionEditorAsksAndSavesOnEveryChange) {
    std::vector<std::string> list = Settings{}.extensions;
    dialogs_.queueInput(".LZH");  // listed already
    dialogs_.queueInput("txt");   // no dot
    dialogs_.queueInput(std::nullopt);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(askAndAddExtension(list));
    EXPECT_EQ(test::stringAt("", "ExtList"), std::nullopt);  // nothing changed, nothing written
    ASSERT_EQ(dialogs_.shown().size(), 3u);
    EXPECT_EQ(dialogs_.shown()[0].caption, "拡張子追加");
    EXPECT_EQ(dialogs_.shown()[0].text, "新規拡張子を入力して下さい(.xxx 形式)");

    dialogs_.queueInput(".Txt");
    EXPECT_TRUE(askAndAddExtension(list));
    EXPECT_EQ(test::stringAt("", "ExtList"),
              ".arj/.bz2/.cab/.exe/.gz/.ish/.lzh/.rar/.sit/.tar/.tgz/.txt/.yz1/.zip/");
    EXPECT_EQ(loadSettings().extensions, list);

    EXPECT_FALSE(deleteExtension(list, std::nullopt));
    EXPECT_FALSE(deleteExtension(list, list.size()));
    EXPECT_TRUE(deleteExtension(list, 0));
    EXPECT_EQ(test::stringAt("", "ExtList"),
              ".bz2/.cab/.exe/.gz/.ish/.lzh/.rar/.sit/.tar/.tgz/.txt/.yz1/.zip/");

    // An emptied list is stored as "" and stays empty: the default is only for no value.
    while (!list.empty())
        deleteExtension(list, 0);
    EXPECT_EQ(test::stringAt("", "ExtList"), "");
    EXPECT_TRUE(loadSettings().extensions.empty());
}

// The clock tab's synchronisation against a local SNTP server, on a fake system clock.
class ClockTabTest : public SetupTabsTest {
  protected:
    ClockTabTest() {
        installMessagePump(&pump_);
        clock_.freeze(std::chrono::sys_days{std::chrono::year{2025} / 6 / 1} + 12h);
    }
    ~ClockTabTest() override { installMessagePump(nullptr); }

    // Synchronises and waits for its end; the status lines in the order shown.
    std::vector<NtpStatusLine> synchronize(const ClockFields& fields, NtpPorts ports) {
        std::vector<NtpStatusLine> lines;
        refused_ = synchronizeClock(
            fields, [&](const NtpStatusLine& line) { lines.push_back(line); }, ports);
        EXPECT_TRUE(pump_.runUntil([] { return TVNetTimeSync::pendingCount() == 0; }, 10s));
        pump_.processMessages();
        return lines;
    }

    NtpPorts portsOf(const test::SntpResponder& server) {
        return {.server = server.port(), .local = 0};
    }

    PollPump pump_;
    test::FakeClock clock_;
    ClockField refused_ = ClockField::None;
};

TEST_F(ClockTabTest, DefaultButtonGivesTheFreshLimits) {
    EXPECT_EQ(withDefaultLimits({"ntp.example", "1", "2"}),
              (ClockFields{"ntp.example", "750", "200"}));
}

TEST_F(ClockTabTest, TheStatusLineShowsTheConnectionThenTheResultWhichIsClearedLater) {
    const NtpStatusLine connecting{"Connect to NTP server...", false};
    {
        test::SntpResponder server({}, [this] { return clock_.now(); });
        EXPECT_EQ(synchronize({"127.0.0.1", "750", "200"}, portsOf(server)),
                  (std::vector<NtpStatusLine>{connecting, {"NTP: Allowable Error Range", true}}));
        EXPECT_TRUE(clock_.settings().empty());
    }
    {
        test::SntpResponder server({.offset = 1s}, [this] { return clock_.now(); });
        EXPECT_EQ(synchronize({"127.0.0.1", "750", "0"}, portsOf(server)),
                  (std::vector<NtpStatusLine>{connecting, {"NTP: Clock Synchronized", true}}));
        EXPECT_EQ(clock_.settings().size(), 1u);  // the fake clock, never the real one
    }
    EXPECT_EQ(refused_, ClockField::None);
    EXPECT_TRUE(dialogs_.shown().empty());
}

TEST_F(ClockTabTest, AResultOfARequestThatNeverWentOutStays) {
    const int held = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(held, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(held, reinterpret_cast<sockaddr*>(&address), &length);

    test::SntpResponder server;
    NtpPorts ports = portsOf(server);
    ports.local = ntohs(address.sin_port);
    const auto lines = synchronize({"127.0.0.1", "750", "200"}, ports);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], (NtpStatusLine{"NTP: Failed: Port In Use", false}));
    close(held);
}

TEST_F(ClockTabTest, ALimitThatIsNoNumberStopsBeforeAnythingIsShown) {
    struct Case {
        const char* timeOut;
        const char* allowableError;
        ClockField refused;
    } cases[] = {{"", "200", ClockField::TimeOut},
                 {"7x", "", ClockField::TimeOut},
                 {"750", "", ClockField::AllowableError},
                 {"750", "99999999999", ClockField::AllowableError}};
    test::SntpResponder server;
    for (const Case& c : cases) {
        dialogs_.clear();
        const auto lines = synchronize({"127.0.0.1", c.timeOut, c.allowableError}, portsOf(server));
        EXPECT_TRUE(lines.empty()) << c.timeOut << "/" << c.allowableError;
        EXPECT_EQ(refused_, c.refused) << c.timeOut << "/" << c.allowableError;
        EXPECT_EQ(onlyMessage().text, "整数を指定して下さい");
    }
    EXPECT_TRUE(server.requests().empty());
}

// A browser stand-in first on PATH that writes down the address it was given.
class FakeBrowser {
  public:
    FakeBrowser() {
        const auto script = folder_ / "xdg-open";
        const std::string opened = this->opened().string();
        test::writeFile(script, "#!/bin/sh\necho \"$1\" > '" + opened + ".part'\nmv '" + opened +
                                    ".part' '" + opened + "'\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }

    // The address handed over, once it arrived (the browser starts detached).
    std::string waitForAddress() const {
        for (int i = 0; i < 500 && !std::filesystem::exists(opened()); ++i)
            std::this_thread::sleep_for(10ms);
        return std::filesystem::exists(opened()) ? test::readFile(opened()) : "";
    }
    std::filesystem::path opened() const { return folder_ / "opened"; }

  private:
    test::TempFolder folder_;
    test::ScopedVariable path_{
        "PATH", folder_.path().string() + ":" + (getenv("PATH") ? getenv("PATH") : "")};
};

AuthorRow authorWithPage(const std::string& url) {
    AuthorRow author;
    author.url = url;
    return author;
}

TEST_F(SetupTabsTest, TheAuthorsPageOpensOnlyWithAnHttpAddress) {
    FakeBrowser browser;
    for (const char* url : {"(none)", "https://secure.example/", ""}) {
        dialogs_.clear();
        EXPECT_FALSE(openAuthorSite(authorWithPage(url))) << url;
        EXPECT_EQ(onlyMessage().caption, "URL 未取得の作者");
        EXPECT_EQ(onlyMessage().icon, DialogIcon::Information);
        EXPECT_EQ(onlyMessage().text,
                  "まだ一度も作者の情報を調べていないか，URL が不正です\r\n"
                  "選択している作者の方をチェックして，一度更新情報を取得して下さい");
    }
    EXPECT_FALSE(std::filesystem::exists(browser.opened()));

    dialogs_.clear();
    EXPECT_TRUE(openAuthorSite(authorWithPage("see http://author.example/")));
    EXPECT_EQ(browser.waitForAddress(), "see http://author.example/\n");
    EXPECT_TRUE(dialogs_.shown().empty());
}

}  // namespace
}  // namespace kestrin
