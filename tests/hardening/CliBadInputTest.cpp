// Malformed invocations and malformed files for every kestrin-cli subcommand: each one ends
// with a short error on standard error and a non-zero status, never a signal, an uncaught
// exception or a sanitizer report.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "support/CliRunner.h"
#include "support/HttpTestServer.h"
#include "support/TempEnvironment.h"

namespace kestrin {
namespace {

using test::runCli;

// A UDP port on 127.0.0.1 that is bound and never answers.
class SilentUdpPort {
  public:
    SilentUdpPort() {
        socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentUdpPort() { ::close(socket_); }
    std::string port() const { return std::to_string(port_); }

  private:
    int socket_ = -1;
    int port_ = 0;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

// A clear failure: a non-zero status of its own (not a signal), one error line naming the
// program, at most followed by the usage line, and nothing a crash or a sanitizer prints.
void expectCleanFailure(const test::CliResult& result) {
    EXPECT_NE(result.status, 0);
    EXPECT_LT(result.status, 128) << "ended by a signal";
    auto lines = linesOf(result.err);
    ASSERT_FALSE(lines.empty()) << "no error message";
    EXPECT_EQ(lines[0].rfind("kestrin-cli", 0), 0u) << lines[0];
    EXPECT_TRUE(lines.size() == 1 || (lines.size() == 2 && lines[1].rfind("usage: ", 0) == 0))
        << result.err;
    for (const char* crashSign : {"terminate called", "what():", "Sanitizer", "runtime error",
                                  "Segmentation", "Aborted", "#0 "})
        EXPECT_EQ(result.err.find(crashSign), std::string::npos) << result.err;
}

struct BadInvocation {
    std::vector<std::string> arguments;             // "{dir}" stands for a scratch folder
    std::map<std::string, std::string> files = {};  // written into the scratch folder first
    std::string input = {};                         // standard input
};

void runTable(const std::vector<BadInvocation>& cases) {
    test::TempEnvironment environment;
    for (const auto& c : cases) {
        test::TempFolder scratch;
        for (const auto& [name, bytes] : c.files)
            test::writeFile(scratch / name, bytes);
        std::vector<std::string> arguments;
        std::string shown;
        for (std::string argument : c.arguments) {
            if (auto at = argument.find("{dir}"); at != std::string::npos)
                argument.replace(at, 5, scratch.path().string());
            shown += " '" + argument + "'";
            arguments.push_back(argument);
        }
        SCOPED_TRACE("kestrin-cli" + shown);
        expectCleanFailure(runCli(arguments, c.input));
    }
}

TEST(CliBadInput, CommandNames) {
    runTable({
        {{"nosuchcommand"}},
        {{""}},
        {{"--nosuchoption"}},
        {{"SNTP"}},
    });
}

TEST(CliBadInput, Sntp) {
    SilentUdpPort silent;
    runTable({
        {{"sntp"}},
        {{"sntp", ""}},
        {{"sntp", ":123"}},
        {{"sntp", "127.0.0.1", "127.0.0.2"}},
        {{"sntp", "--bogus", "127.0.0.1"}},
        {{"sntp", "--set"}},
        {{"sntp", "127.0.0.1:"}},
        {{"sntp", "127.0.0.1:65536"}},
        {{"sntp", "127.0.0.1:-1"}},
        {{"sntp", "127.0.0.1:12x"}},
        {{"sntp", "127.0.0.1:99999999999999999999"}},
        {{"sntp", "127.0.0.1", "--timeout"}},
        {{"sntp", "127.0.0.1", "--timeout", "-5"}},
        {{"sntp", "127.0.0.1", "--timeout", "9999999999"}},
        {{"sntp", "127.0.0.1", "--allowable", "x"}},
        {{"sntp", "127.0.0.1", "--local-port", "70000"}},
        // Well formed, but nobody answers: the time-out is the error.
        {{"sntp", "127.0.0.1:" + silent.port(), "--timeout", "100", "--local-port", "0"}},
        // Our own port is taken by the silent server.
        {{"sntp", "127.0.0.1:" + silent.port(), "--local-port", silent.port(), "--timeout", "100"}},
    });
}

TEST(CliBadInput, PageDiagnostics) {
    const std::map<std::string, std::string> page = {{"page.html", "<title>x</title>"}};
    std::vector<BadInvocation> cases;
    for (std::string command : {"crc", "detect", "sjis", "scan"}) {
        cases.push_back({{command}});
        cases.push_back({{command, "{dir}/missing.html"}});
        cases.push_back({{command, "{dir}"}});  // a folder is no file
        cases.push_back({{command, "{dir}/page.html", "{dir}/page.html"}, page});
        cases.push_back({{command, "--bogus", "{dir}/page.html"}, page});
    }
    cases.push_back({{"scan", "{dir}/page.html", "--ext"}, page});
    runTable(cases);
}

TEST(CliBadInput, Reg) {
    const std::string bad = "{dir}/bad.reg";
    auto regFile = [](std::string text) {
        return std::map<std::string, std::string>{{"bad.reg", std::move(text)}};
    };
    const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
    runTable({
        {{"reg"}},
        {{"reg", "frobnicate"}},
        {{"reg", "add"}},
        {{"reg", "add", "HKLM\\Software\\Kestrin", "/f"}},
        {{"reg", "add", "Software\\NoHive", "/f"}},
        {{"reg", "add", "HKCU\\Software\\K", "/v", "n", "/t", "REG_DWORD", "/d", "ten", "/f"}},
        {{"reg", "add", "HKCU\\Software\\K", "/v", "n", "/t", "REG_DWORD", "/d", "4294967296",
          "/f"}},
        {{"reg", "add", "HKCU\\Software\\K", "/v", "b", "/t", "REG_BINARY", "/d", "abc", "/f"}},
        {{"reg", "add", "HKCU\\Software\\K", "/v", "q", "/t", "REG_QWORD", "/d", "1", "/f"}},
        {{"reg", "add", "HKCU\\Software\\K", "/v", "a", "/ve", "/f"}},
        {{"reg", "add", "HKCU\\Software\\K", "/v"}},
        {{"reg", "add", "HKCU\\Software\\K", "/v", "a", "/v", "b", "/f"}},
        {{"reg", "add", "HKCU\\Software\\K", "/zz", "/f"}},
        {{"reg", "query", "HKCU\\Software\\Missing"}},
        {{"reg", "query", "HKCU\\Software\\Missing", "/v", "x"}},
        {{"reg", "delete", "HKCU\\Software\\Missing", "/f"}},
        {{"reg", "import"}},
        {{"reg", "import", "{dir}/missing.reg"}},
        {{"reg", "import", "{dir}"}},
        {{"reg", "import", bad}, regFile("not a registry file\r\n")},
        {{"reg", "import", bad}, regFile(header + "[HKEY_LOCAL_MACHINE\\Software]\r\n")},
        {{"reg", "import", bad}, regFile(header + "[HKCU\\Software]\r\n\"n\"=dword:xyz\r\n")},
        {{"reg", "import", bad}, regFile(header + "[HKCU\\Software]\r\n\"n\"=hex:0g\r\n")},
        {{"reg", "import", bad}, regFile(header + "[HKCU\\Software]\r\n\"open=\"x\r\n")},
        {{"reg", "import", bad}, regFile(header + "[HKCU\\Software\r\n")},
        {{"reg", "import", bad}, regFile(header + "\"before any key\"=\"x\"\r\n")},
        {{"reg", "import", bad}, regFile(std::string("\xff\xfe\0\0\x01binary", 10))},
        {{"reg", "export", "HKCU\\Software\\Missing", "{dir}/out.reg"}},
        {{"reg", "export", "HKCU\\Software\\Missing"}},
    });
}

TEST(CliBadInput, Get) {
    test::HttpTestServer server;
    server.serve("/garbage", test::HttpReply::rawBytes("\x01\x02 garbage\r\n\r\n"));
    server.serve("/cut", test::HttpReply::rawBytes("HTTP/1.0 200 O"));
    const int closedPort = [] { return test::HttpTestServer().port(); }();
    runTable({
        {{"get"}},
        {{"get", "http://"}},
        {{"get", "https://127.0.0.1/"}},
        {{"get", "ftp://127.0.0.1/"}},
        {{"get", "http://127.0.0.1:99999/"}},
        {{"get", "http://127.0.0.1:" + std::to_string(closedPort) + "/"}},
        {{"get", server.url("/garbage")}},
        {{"get", server.url("/cut")}},
        {{"get", server.url("/"), "--proxy"}},
        {{"get", server.url("/"), "--proxy", "127.0.0.1:port"}},
        {{"get", server.url("/"), "--proxy-user", "nocolon"}},
        {{"get", server.url("/"), "--bogus"}},
        {{"get", server.url("/"), server.url("/")}},
        {{"get", server.url("/"), "-o"}},
        {{"get", server.url("/"), "-o", "{dir}/no/such/folder/file"}},
    });
}

TEST(CliBadInput, Define) {
    runTable({
        {{"define"}},
        {{"define", "frobnicate"}},
        {{"define", "check"}},
        {{"define", "check", "{dir}/missing.url"}},
        {{"define", "check", "{dir}"}},
        {{"define", "list", "a", "b"}},
        {{"define", "list", "no such folder"}},
    });
}

TEST(CliBadInput, CheckAndDemo) {
    runTable({
        {{"check", "/bogus"}},
        {{"check", "--frob"}},
        {{"check", "--folder"}},
        {{"check", "--folder", "no such folder"}},
        {{"check", "/checkall", "--json", "extra", "more"}},
        {{"demo", "--port"}},
        {{"demo", "--port", "0"}},
        {{"demo", "--port", "99999"}},
        {{"demo", "--port", "x"}},
        {{"demo", "extra"}},
    });
}

// A settings store that is not a database at all: the run cannot start, and says so.
TEST(CliBadInput, CheckWithAStoreThatIsNoDatabase) {
    test::TempEnvironment environment;
    test::writeFile(environment.registry(), std::string(4096, 'x'));
    expectCleanFailure(runCli({"check"}));
    expectCleanFailure(runCli({"reg", "query", "HKCU\\Software\\Renvane"}));
}

}  // namespace
}  // namespace kestrin
