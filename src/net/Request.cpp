#include "net/Request.h"

#include <array>

#include "text/Base64.h"

namespace kestrin {

namespace {
struct CommandWords {
    const char* method;
    const char* failure;
};

constexpr std::array<CommandWords, 13> kCommands{{
    {"GET ", "Get Failed"},
    {"OPTIONS ", "Options Failed"},
    {"HEAD ", "Head Failed"},
    {"POST ", "Post Failed"},
    {"PUT ", "Put Failed"},
    {"PATCH ", "Patch Failed"},
    {"COPY ", "Copy Failed"},
    {"MOVE ", "Move Failed"},
    {"DELETE ", "Delete Failed"},
    {"LINK ", "Link Failed"},
    {"UNLINK ", "UnLink Failed"},
    {"TRACE ", "Trace Failed"},
    {"WRAPPED ", "Wrapped Failed"},
}};

const CommandWords& wordsOf(HttpCommand command) {
    return kCommands.at(static_cast<std::size_t>(command));
}

bool carriesBody(HttpCommand command) {
    switch (command) {
        case HttpCommand::Post:
        case HttpCommand::Put:
        case HttpCommand::Patch:
        case HttpCommand::Link:
        case HttpCommand::Unlink:
        case HttpCommand::Trace:
        case HttpCommand::Wrapped:
            return true;
        default:
            return false;
    }
}
}  // namespace

std::string failureText(HttpCommand command) {
    return wordsOf(command).failure;
}

void buildRequestHeaders(HeaderList& headers, HttpCommand command, const RequestTarget& target,
                         const THeaderInfo& info) {
    headers.clear();
    headers.add(std::string(wordsOf(command).method) +
                (target.viaProxy ? target.url : target.path) + " HTTP/1.0");
    if (target.viaProxy) {
        headers.add("Proxy-Connection: Keep-Alive");
        headers.add("Host: " + target.host);
    }
    headers.setByName("Host", target.host);
    headers.add("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    headers.add("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    headers.setByName("User-Agent", info.LocalProgram);
    headers.setByName("From", info.LocalMailAddress);
    headers.setByName("Cookie", info.Cookie);
    headers.setByName("Referer", info.Referer);
    if (!info.UserId.empty() && !info.Password.empty())
        headers.setByName("Authorization",
                          "Basic " + EncodeBase64(info.UserId + ":" + info.Password));
    headers.add("Content-type: application/x-www-form-urlencoded");
    if (command == HttpCommand::Copy || command == HttpCommand::Move)
        headers.add("URI-header: " + target.targetUri);
    if (command == HttpCommand::Link || command == HttpCommand::Unlink)
        headers.add("Link: " + target.targetUri);
    if (carriesBody(command)) headers.add("Content-Length: " + std::to_string(target.bodySize));
}

}  // namespace kestrin
