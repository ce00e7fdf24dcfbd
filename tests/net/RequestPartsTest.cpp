#include <gtest/gtest.h>

#include "net/HeaderList.h"
#include "net/Request.h"
#include "net/ResponseHeader.h"
#include "net/SockError.h"
#include "net/Url.h"

namespace kestrin {
namespace {

TEST(SplitUrl, TakesHostPortAndPath) {
    struct Case {
        std::string url, wantUrl, host;
        int port;
        std::string path;
    } cases[] = {
        {"http://www.example.com/a/b.html", "http://www.example.com/a/b.html", "www.example.com",
         80, "/a/b.html"},
        {"http://www.example.com", "http://www.example.com/", "www.example.com", 80, "/"},
        {"http://host:8080/x?y=1", "http://host:8080/x?y=1", "host", 8080, "/x?y=1"},
        {"HTTP://Host:81", "HTTP://Host:81/", "Host", 81, "/"},
        {"gopher://host/", "gopher://host/", "host", 70, "/"},
        {"ftp://host/pub/", "ftp://host/pub/", "host", 21, "/pub/"},
        {"www.example.com/page", "www.example.com/page", "www.example.com", 80, "/page"},
        {"host:3128/page", "host:3128/page", "host", 3128, "/page"},
        {"/only/a/path", "/only/a/path", "", 80, "/only/a/path"},
        {"host/a//b", "host/a//b", "host", 80, "/a//b"},
        {"http://host:notaport/", "http://host:notaport/", "host", 80, "/"},
        {"http://host:99999/", "http://host:99999/", "host", 80, "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const SplitUrl split = splitUrl(c.url);
        EXPECT_EQ(split.url, c.wantUrl);
        EXPECT_EQ(split.host, c.host);
        EXPECT_EQ(split.port, c.port);
        EXPECT_EQ(split.path, c.path);
    }
    // A long path is sent whole: cutting it would ask for another page.
    const std::string longPath = "/" + std::string(400, 'p');
    EXPECT_EQ(splitUrl("http://host" + longPath).path, longPath);
}

TEST(HeaderList, SetsByNameInPlaceAppendsOrRemoves) {
    HeaderList headers;
    headers.add("GET http://host:80/ HTTP/1.0");
    headers.add("Host: a");
    headers.add("Accept: x");
    headers.setByName("HOST", "b");
    headers.setByName("Connection", "close");
    headers.setByName("Connection", "keep");
    headers.setByName("Accept", "");
    headers.setByName("Missing", "");
    EXPECT_EQ(headers.lines(), (std::vector<std::string>{"GET http://host:80/ HTTP/1.0", "HOST: b",
                                                         "Connection: keep"}));
    EXPECT_EQ(headers.text(),
              "GET http://host:80/ HTTP/1.0\r\nHOST: b\r\nConnection: keep\r\n\r\n");
}

TEST(RequestHeaders, AddsHeaderInfoAndPerKindLines) {
    THeaderInfo info{"me@example.com", "Agent/1", "id=1", "http://ref/", "user", "pass"};
    RequestTarget target{"http://h/x", "/x", "h", false, 42, "http://h/y"};
    HeaderList headers;
    buildRequestHeaders(headers, HttpCommand::Get, target, info);
    EXPECT_EQ(headers.lines(),
              (std::vector<std::string>{
                  "GET /x HTTP/1.0", "Host: h",
                  "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff",
                  "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript",
                  "User-Agent: Agent/1", "From: me@example.com", "Cookie: id=1",
                  "Referer: http://ref/", "Authorization: Basic dXNlcjpwYXNz",
                  "Content-type: application/x-www-form-urlencoded"}));
    struct Case {
        HttpCommand command;
        std::string firstLine, extra;
    } cases[] = {
        {HttpCommand::Head, "HEAD /x HTTP/1.0", "Content-type: application/x-www-form-urlencoded"},
        {HttpCommand::Post, "POST /x HTTP/1.0", "Content-Length: 42"},
        {HttpCommand::Copy, "COPY /x HTTP/1.0", "URI-header: http://h/y"},
        {HttpCommand::Unlink, "UNLINK /x HTTP/1.0", "Content-Length: 42"},
        {HttpCommand::Delete, "DELETE /x HTTP/1.0",
         "Content-type: application/x-www-form-urlencoded"},
    };
    for (const auto& c : cases) {
        buildRequestHeaders(headers, c.command, target, THeaderInfo{});
        EXPECT_EQ(headers.lines().front(), c.firstLine);
        EXPECT_EQ(headers.lines().back(), c.extra);
    }
    EXPECT_EQ(failureText(HttpCommand::Unlink), "UnLink Failed");
    EXPECT_EQ(failureText(HttpCommand::Wrapped), "Wrapped Failed");
}

TEST(ResponseHeader, TakesReplyNumberAndValues) {
    ResponseHeader header;
    for (const char* line :
         {"HTTP/1.1 302 Found\r\n", "set-cookie: a=1; path=/\r\n", "Location:http://h/next\n",
          "Content-Length: abc 1234 5\r\n", "X-Location: wrong\r\n"})
        header.takeLine(line);
    EXPECT_EQ(header.replyNumber(), 302);
    EXPECT_EQ(header.cookie(), "a=1; path=/");
    EXPECT_EQ(header.location(), "http://h/next");
    EXPECT_EQ(header.contentLength(), 1234);

    struct Case {
        const char* statusLine;
        int reply;
    } cases[] = {{"HTTP/1.0 404 Not Found", 404}, {"HTTP/1.0 OK", 0}, {"garbage", 0}, {"", 0}};
    for (const auto& c : cases) {
        ResponseHeader other;
        other.takeLine(c.statusLine);
        EXPECT_EQ(other.replyNumber(), c.reply) << c.statusLine;
        EXPECT_EQ(other.contentLength(), 0);
    }
}

}  // namespace
}  // namespace kestrin
