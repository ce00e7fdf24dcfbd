#pragma once
// Every message box and input box of the system goes through one service. The windows install
// the Qt service; kestrin-cli writes the messages to standard error; tests install
// ScriptedDialogs, which records what was shown and answers from a queue.

#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace kestrin {

enum class DialogIcon { None, Information, Question, Warning, Error };
enum class DialogButtons { Ok, OkCancel, YesNo };
enum class DialogAnswer { Ok, Cancel, Yes, No };

class DialogService {
  public:
    virtual ~DialogService() = default;
    // A modal message box; texts are UTF-8, "\r\n" breaks lines.
    virtual DialogAnswer messageBox(const std::string& text, const std::string& caption,
                                    DialogIcon icon, DialogButtons buttons) = 0;
    // An input box; nullopt when the user cancels.
    virtual std::optional<std::string> inputBox(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) = 0;
};

// The service in use; ConsoleDialogs until another is installed.
DialogService& dialogs();
// Installs `service` (not owned); nullptr goes back to the console service.
void installDialogs(DialogService* service);

// The general error display: a failure that nothing else handles, as an error box with the
// error's text under the application's title.
void showError(const std::exception& error);

// Writes "caption: text" to standard error and gives the affirmative answer (OK / Yes);
// input boxes answer with their initial text.
class ConsoleDialogs : public DialogService {
  public:
    DialogAnswer messageBox(const std::string& text, const std::string& caption, DialogIcon icon,
                            DialogButtons buttons) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;
};

// Records every box and answers from queues; with an empty queue a message box gets the
// affirmative answer and an input box is cancelled.
class ScriptedDialogs : public DialogService {
  public:
    struct Shown {
        std::string text;
        std::string caption;
        DialogIcon icon;
        DialogButtons buttons;
    };

    DialogAnswer messageBox(const std::string& text, const std::string& caption, DialogIcon icon,
                            DialogButtons buttons) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;

    void queueAnswer(DialogAnswer answer) { answers_.push_back(answer); }
    void queueInput(std::optional<std::string> input) { inputs_.push_back(std::move(input)); }
    const std::vector<Shown>& shown() const { return shown_; }
    void clear() { shown_.clear(); }

  private:
    std::vector<Shown> shown_;
    std::deque<DialogAnswer> answers_;
    std::deque<std::optional<std::string>> inputs_;
};

// Installs a service for the lifetime of the guard (tests, kestrin-cli).
class ScopedDialogs {
  public:
    explicit ScopedDialogs(DialogService& service) { installDialogs(&service); }
    ~ScopedDialogs() { installDialogs(nullptr); }
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;
};

}  // namespace kestrin
