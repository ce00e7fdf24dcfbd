#pragma once
// What the author check shows while it runs: the current author's sentence, the three step
// labels with the current step, and the overall bar. The core keeps the state; the window (or
// a test) observes it.

#include <string>

namespace kestrin {

struct AuthorProgressState {
    std::string authorMessage;  // Label6: "<name> さんのアップデート情報を…"
    std::string connectingText;  // the connecting step's label: "ホスト <host> に接続中です..."
    int stepIndex = 0;           // StepIndex: 0 connecting, 1 downloading, 2 comparing
    int boldStep = -1;           // the step label shown in bold, -1 for none
    int position = 0;            // prbGetInfo
    int maximum = 0;
};

class AuthorProgressObserver {
  public:
    virtual ~AuthorProgressObserver() = default;
    virtual void authorProgressChanged(const AuthorProgressState& state) = 0;
};

// Holds the state, tells the observer (if any) of every change and lets the message pump run,
// so that the window repaints and Cancel stays alive.
class AuthorProgress {
  public:
    explicit AuthorProgress(AuthorProgressObserver* observer = nullptr) : observer_(observer) {}

    const AuthorProgressState& state() const { return state_; }

    void start(int maximum);  // the bar at 0 of `maximum`
    void beginAuthor();       // every author, checked or not: advances the bar
    void fetching(const std::string& authorName, const std::string& host);
    void connected();       // the download step; advances the bar
    void transferFailed();  // advances the bar in place of the connection
    void comparing();       // the compare step; advances the bar
    void endAuthor();       // the download and compare labels back to normal

  private:
    void changed();

    AuthorProgressObserver* observer_;
    AuthorProgressState state_;
};

}  // namespace kestrin
