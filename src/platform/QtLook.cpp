#include "platform/QtLook.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace kestrin {

namespace {

// A globe with an upward arrow: software from the Internet, updated.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    QRadialGradient sea(QPointF(11, 10), 20);
    sea.setColorAt(0, QColor(130, 200, 255));
    sea.setColorAt(1, QColor(20, 80, 170));
    painter.setPen(QPen(QColor(10, 50, 120), 1));
    painter.setBrush(sea);
    painter.drawEllipse(QRectF(2.5, 2.5, 27, 27));

    painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(10, 2.5, 12, 27));
    painter.drawLine(QPointF(2.5, 16), QPointF(29.5, 16));

    const QPolygonF arrow{{16, 5}, {25.5, 15}, {20, 15}, {20, 26}, {12, 26}, {12, 15}, {6.5, 15}};
    painter.setPen(QPen(QColor(150, 60, 0), 1));
    painter.setBrush(QColor(255, 165, 40));
    painter.drawPolygon(arrow);
    return pixmap;
}

}  // namespace

QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic"),
                      QStringLiteral("TakaoGothic")});
    font.setPixelSize(12);
    return font;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(drawIcon(size));
    return icon;
}

void applyWindowLook(QWidget* window) {
    window->setFont(windowFont());
    window->setWindowIcon(applicationIcon());
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->property("heading").toBool()) continue;
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
}

}  // namespace kestrin
