#include "welcome/QtCopyAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace kestrin {

namespace {

void drawFolder(QPainter& painter, const QRectF& box) {
    QPainterPath tab;
    tab.addRoundedRect(QRectF(box.left(), box.top() - 5, box.width() * 0.4, 8), 2, 2);
    painter.setPen(QPen(QColor(150, 110, 20), 1));
    painter.setBrush(QColor(240, 200, 90));
    painter.drawPath(tab);
    painter.drawRect(box);
}

}  // namespace

TCopyAnimation::TCopyAnimation(QWidget* parent) : QWidget(parent) {
    timer_.setInterval(60);
    connect(&timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % kFrames;
        update();
    });
}

void TCopyAnimation::setActive(bool active) {
    if (active) {
        timer_.start();
    } else {
        timer_.stop();
        frame_ = kStoppedFrame;
    }
    update();
}

void TCopyAnimation::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal h = height();
    const QRectF from(8, h * 0.45, 44, h * 0.45);
    const QRectF to(width() - 52, h * 0.45, 44, h * 0.45);
    drawFolder(painter, from);
    drawFolder(painter, to);

    // The sheet follows an arc from the left folder to the right one.
    const qreal t = qreal(frame_) / (kFrames - 1);
    const qreal x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const qreal y = from.top() - std::sin(t * M_PI) * (h * 0.35);
    const QRectF sheet(x - 8, y - 10, 16, 20);
    painter.setPen(QPen(QColor(80, 80, 80), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(sheet);
    for (int line = 0; line < 3; ++line)
        painter.drawLine(QPointF(sheet.left() + 3, sheet.top() + 5 + line * 4),
                         QPointF(sheet.right() - 3, sheet.top() + 5 + line * 4));
}

}  // namespace kestrin
