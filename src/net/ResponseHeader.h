#pragma once
// What the client takes from the response header lines as they arrive: the reply number from
// the status line, and the Set-Cookie, Location and Content-Length values.

#include <cstdint>
#include <string>

namespace kestrin {

class ResponseHeader {
  public:
    // Takes one line as read, with or without its line end; the first is the status line.
    void takeLine(const std::string& line);

    // The status line's second word as a decimal number; 0 when it is not one.
    int replyNumber() const { return replyNumber_; }
    bool hasStatusLine() const { return hasStatusLine_; }
    const std::string& location() const { return location_; }
    const std::string& cookie() const { return cookie_; }
    bool hasCookie() const { return hasCookie_; }
    // The first run of digits of the last Content-Length line; 0 when none.
    std::int64_t contentLength() const { return contentLength_; }

  private:
    bool hasStatusLine_ = false;
    int replyNumber_ = 0;
    std::string location_;
    std::string cookie_;
    bool hasCookie_ = false;
    std::int64_t contentLength_ = 0;
};

}  // namespace kestrin
