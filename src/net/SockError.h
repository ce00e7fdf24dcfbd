#pragma once
// The failure of an HTTP transfer: a socket error, a cancel, a time-out or a refused URL. The
// message is the text the users show or record ("Connection Canceled", "Empty URL", ...).

#include <stdexcept>

namespace kestrin {

class ESockError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace kestrin
