#pragma once
// What the define check shows while it runs: the current item's sentence, the work line with
// the current item's bar, and the bar over all items. The core keeps the state; the window (or
// a test) observes it.

#include <string>

namespace kestrin {

struct DefineProgressState {
    std::string itemMessage;   // lblDefineDo: the item being checked
    std::string workText;      // lblWork: the current transfer or analysis step
    int analysisPosition = 0;  // prbAnalysis
    int analysisMaximum = 0;
    int position = 0;  // prbDefine
    int maximum = 0;
};

class DefineProgressObserver {
  public:
    virtual ~DefineProgressObserver() = default;
    virtual void defineProgressChanged(const DefineProgressState& state) = 0;
};

// Holds the state, tells the observer (if any) of every change and lets the message pump run,
// so that the window repaints and Cancel stays alive.
class DefineProgress {
  public:
    explicit DefineProgress(DefineProgressObserver* observer = nullptr) : observer_(observer) {}

    const DefineProgressState& state() const { return state_; }

    void start(int maximum);  // waiting, both bars at 0, the overall one of `maximum`
    void beginItem(const std::string& caption);
    // A status report of the define engine without a failure text: the item's bar, and the
    // work line of its phase (bytes received, link scan, checksum).
    void report(int position, int maximum, int phase);
    void endItem(int position);  // the overall bar after the item at `position` - 1

  private:
    void changed();

    DefineProgressObserver* observer_;
    DefineProgressState state_;
};

}  // namespace kestrin
