#include "welcome/QtEllipsisEdit.h"

#include <QToolButton>

namespace kestrin {

TEllipsisEdit::TEllipsisEdit(QWidget* parent) : QLineEdit(parent), button_(new QToolButton(this)) {
    button_->setObjectName(QStringLiteral("btnEllipsis"));
    button_->setText(QStringLiteral("…"));
    button_->setCursor(Qt::ArrowCursor);
    button_->setFocusPolicy(Qt::NoFocus);
    // The one-pixel line between text and button, in the button-face colour.
    button_->setStyleSheet(QStringLiteral(
        "QToolButton { border: none; border-left: 1px solid palette(button); padding: 0; }"));
    setTextMargins(0, 0, kButtonWidth + 1, 0);
    connect(button_, &QToolButton::clicked, this, [this] {
        setFocus(Qt::MouseFocusReason);
        emit ellipsisClick();
    });
}

QString TEllipsisEdit::ellipsisHint() const {
    return button_->toolTip();
}

void TEllipsisEdit::setEllipsisHint(const QString& hint) {
    button_->setToolTip(hint);
}

void TEllipsisEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int frame = 2;
    button_->setGeometry(width() - kButtonWidth - frame, frame, kButtonWidth, height() - 2 * frame);
}

}  // namespace kestrin
