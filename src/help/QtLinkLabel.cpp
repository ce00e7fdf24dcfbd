#include "help/QtLinkLabel.h"

#include <QMouseEvent>

namespace kestrin {

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

}  // namespace kestrin
