#include "net/ProxySettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <variant>

#include "platform/VRegEx.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

struct NoValue {};
using EnableValue = std::variant<NoValue, int, RegistryBytes>;

TEST(ProxyFromBrowserSettings, TakesTheHttpServerAndTheSwitch) {
    struct Case {
        std::string name;
        bool haveKey;
        std::string server;  // "" writes no ProxyServer value
        EnableValue enable;
        std::string httpProxy;  // the environment's http_proxy
        BrowserProxy expected;
    } cases[] = {
        {"host:port", true, "proxy.example:8080", 1, "", {true, "proxy.example", "8080", true}},
        {"per-protocol list", true, "http=hp:3128;ftp=fp:21", 0, "", {true, "hp", "3128", false}},
        {"http entry last", true, "ftp=fp:21;http=hp:81", NoValue{}, "", {true, "hp", "81", {}}},
        {"no port",
         true,
         "hostonly",
         RegistryBytes{1, 0, 0, 0},
         "",
         {true, "hostonly", "80", true}},
        {"binary off", true, "h:1", RegistryBytes{0, 0, 0, 0}, "", {true, "h", "1", false}},
        {"binary 2 is off", true, "h:1", RegistryBytes{2}, "", {true, "h", "1", false}},
        {"switch only", true, "", 1, "", {false, "", "", true}},
        {"no key, no variable", false, "", NoValue{}, "", {}},
        {"store wins", true, "store:1", NoValue{}, "env:2", {true, "store", "1", {}}},
        {"variable stands in",
         false,
         "",
         NoValue{},
         "http://u:p@envproxy:3128/",
         {true, "envproxy", "3128", true}},
        {"store switch still counts",
         true,
         "",
         0,
         "envproxy:8080",
         {true, "envproxy", "8080", false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempEnvironment environment;
        if (!c.httpProxy.empty()) setenv("http_proxy", c.httpProxy.c_str(), 1);
        if (c.haveKey) {
            TVRegEx registry;
            registry.OpenKey(kInternetSettingsKey, true);
            if (!c.server.empty()) registry.WriteString("ProxyServer", c.server);
            if (auto* number = std::get_if<int>(&c.enable))
                registry.WriteInteger("ProxyEnable", *number);
            if (auto* bytes = std::get_if<RegistryBytes>(&c.enable))
                registry.WriteBinaryData("ProxyEnable", bytes->data(),
                                         static_cast<int>(bytes->size()));
        }
        const BrowserProxy found = proxyFromBrowserSettings();
        EXPECT_EQ(found.hasServer, c.expected.hasServer);
        EXPECT_EQ(found.address, c.expected.address);
        EXPECT_EQ(found.port, c.expected.port);
        EXPECT_EQ(found.enabled, c.expected.enabled);
    }
}

TEST(ProxyFromBrowserSettings, UpperCaseVariableAndOddValueTypes) {
    test::TempEnvironment environment;
    setenv("HTTP_PROXY", "upper:3128", 1);
    {
        TVRegEx registry;
        registry.OpenKey(kInternetSettingsKey, true);
        registry.WriteInteger("ProxyServer", 5);   // not a text: no server named
        registry.WriteString("ProxyEnable", "1");  // neither number nor bytes: says nothing
    }
    const BrowserProxy found = proxyFromBrowserSettings();
    EXPECT_EQ(found.address, "upper");
    EXPECT_EQ(found.port, "3128");
    EXPECT_EQ(found.enabled, true);
}

}  // namespace
}  // namespace kestrin
