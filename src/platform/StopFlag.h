#pragma once
// The stop flag of a check run (the main window's "Cancelled"). Whoever handles Cancel sets it;
// the phases of the run test it between authors and between items and return early when it is
// set. Shared by its holders, so that none depends on another's lifetime.

#include <memory>

namespace kestrin {

class StopFlag {
  public:
    explicit StopFlag(bool set = false) : set_(set) {}

    bool isSet() const { return set_; }
    void set() { set_ = true; }
    void clear() { set_ = false; }

  private:
    bool set_;
};

using SharedStopFlag = std::shared_ptr<StopFlag>;

}  // namespace kestrin
