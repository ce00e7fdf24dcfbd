#include "app/QtEditCheck.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace kestrin {

namespace {

class EditCheck : public QObject {
  public:
    EditCheck(QLineEdit* edit, std::function<bool(const std::string&)> accepted)
        : QObject(edit), edit_(edit), accepted_(std::move(accepted)) {
        edit->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusOut && !refocusing && leavesForAnotherControl(*event))
            QTimer::singleShot(0, this, &EditCheck::check);
        return false;
    }

  private:
    static bool leavesForAnotherControl(const QEvent& event) {
        switch (static_cast<const QFocusEvent&>(event).reason()) {
            case Qt::ActiveWindowFocusReason:  // another window, or a message box of ours
            case Qt::PopupFocusReason:
            case Qt::MenuBarFocusReason:
                return false;
            default:
                return true;
        }
    }

    void check() {
        if (accepted_(edit_->text().toStdString())) return;
        // The control that had taken the focus gives it up unchecked: two refused edits must
        // not pull the focus back and forth.
        refocusing = true;
        edit_->setFocus(Qt::OtherFocusReason);
        refocusing = false;
        edit_->selectAll();
    }

    static inline bool refocusing = false;

    QLineEdit* edit_;
    std::function<bool(const std::string&)> accepted_;
};

}  // namespace

void checkOnLeaving(QLineEdit* edit, std::function<bool(const std::string&)> accepted) {
    new EditCheck(edit, std::move(accepted));
}

}  // namespace kestrin
