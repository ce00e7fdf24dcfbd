// kestrin-cli get: one HTTP transfer with the system's conventions. The status line and the
// header lines go to standard error, the body to standard output or to FILE.

#include <iostream>

#include "cli/Command.h"
#include "net/Conventions.h"

namespace kestrin::cli {

namespace {
struct GetOptions {
    std::string url;
    bool head = false;
    ProxySettings proxy;
    std::string output;
};

// "HOST:PORT" -> host and port; raises UsageError when the port is not a number.
void splitProxy(const std::string& text, ProxySettings& proxy) {
    const auto colon = text.rfind(':');
    const std::string port = colon == std::string::npos ? "" : text.substr(colon + 1);
    if (colon == 0 || port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError("--proxy wants HOST:PORT, not '" + text + "'");
    proxy.UseProxy = true;
    proxy.ProxyAddress = text.substr(0, colon);
    proxy.ProxyPort = std::stoi(port);
}

void splitCredentials(const std::string& text, ProxySettings& proxy) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) throw UsageError("--proxy-user wants USER:PASSWORD");
    proxy.UseAuthenticate = true;
    proxy.UserID = text.substr(0, colon);
    proxy.Password = text.substr(colon + 1);
}

GetOptions parse(const Arguments& arguments) {
    GetOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 == arguments.size()) throw UsageError(argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--head") {
            options.head = true;
        } else if (argument == "--proxy") {
            splitProxy(value(), options.proxy);
        } else if (argument == "--proxy-user") {
            splitCredentials(value(), options.proxy);
        } else if (argument == "--no-cache") {
            options.proxy.DisableProxyCache = true;
        } else if (argument == "-o") {
            options.output = value();
        } else if (argument.starts_with("-") || !options.url.empty()) {
            throw UsageError("unexpected argument '" + argument + "'");
        } else {
            options.url = argument;
        }
    }
    if (options.url.empty()) throw UsageError("no URL");
    return options;
}

int get(const Arguments& arguments) {
    const GetOptions options = parse(arguments);
    TNMHTTP http;
    prepareClient(http);
    useProxy(http, options.proxy);
    http.OnAboutToSend = [&] { setClosingHeaders(http.sendHeaders(), options.proxy); };
    http.InputFileMode = !options.output.empty();
    http.Body = options.output;
    if (options.head)
        http.Head(options.url);
    else
        http.Get(options.url);
    std::cerr << http.Header;
    if (!http.InputFileMode) std::cout << http.Body << std::flush;
    return 0;
}

const CommandRegistration registration(
    "get",
    "get URL [--head] [--proxy HOST:PORT] [--proxy-user USER:PASSWORD] [--no-cache] [-o FILE]",
    get);
}  // namespace

}  // namespace kestrin::cli
