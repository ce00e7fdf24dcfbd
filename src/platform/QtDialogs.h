#pragma once
// The dialog service of the desktop program: message boxes and input boxes as Qt dialogs with
// the buttons worded as the system shows them ("OK", "キャンセル", "はい(&Y)", "いいえ(&N)").
// A box belongs to the open modal window if there is one, else to the owner given here (the
// main window), so it stays in front of the window that asked.

#include <QPointer>
#include <QWidget>

#include "platform/Dialogs.h"

namespace kestrin {

class QtDialogs : public DialogService {
  public:
    explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}

    DialogAnswer messageBox(const std::string& text, const std::string& caption, DialogIcon icon,
                            DialogButtons buttons) override;
    std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial) override;

  private:
    QWidget* parentForBox() const;

    QPointer<QWidget> owner_;
};

}  // namespace kestrin
