#include "catalogue/QtVGetAppIcon.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <filesystem>

#include "platform/DesktopEntries.h"
#include "platform/Paths.h"
#include "platform/ProgramIcons.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

// The large and the small icon of one index; null images where there is none.
struct IconPair {
    QImage large;
    QImage small;
};

QString qtPath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// An image at the standard size `side`: stretched when square, else scaled to fit and centred
// on a transparent square.
QImage atSide(const QImage& image, int side) {
    if (image.isNull()) return {};
    QImage converted = image.convertToFormat(QImage::Format_ARGB32);
    if (converted.size() == QSize(side, side)) return converted;
    const QSize fitted = converted.size().scaled(side, side, Qt::KeepAspectRatio);
    QImage square(side, side, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(
        QRect(QPoint((side - fitted.width()) / 2, (side - fitted.height()) / 2), fitted),
        converted);
    return square;
}

QImage toImage(const std::optional<IconImage>& image, int side) {
    if (!image) return {};
    if (!image->png.empty()) {
        return atSide(QImage::fromData(reinterpret_cast<const uchar*>(image->png.data()),
                                       int(image->png.size()), "PNG"),
                      side);
    }
    const QImage pixels(reinterpret_cast<const uchar*>(image->pixels.data()), image->width,
                        image->height, image->width * 4, QImage::Format_ARGB32);
    return atSide(pixels.copy(), side);
}

// An image file Qt reads (the icon reader's formats are its own), rendered or scaled to
// `side`; a vector image is rendered at that size.
QImage imageFile(const fs::path& file, int side) {
    QImageReader reader(qtPath(file));
    const QByteArray format = reader.format();
    if (format.isEmpty() || format == "ico" || format == "cur") return {};
    if (const QSize size = reader.size(); size.isValid())
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    return atSide(reader.read(), side);
}

// Without a desktop (offscreen, a bare X server) Qt knows no icon theme: the icon folders of
// the XDG data folders and the "hicolor" theme every desktop installs stand in for it.
void searchDesktopIconFolders() {
    QStringList themes = QIcon::themeSearchPaths();
    QStringList pixmaps = QIcon::fallbackSearchPaths();
    const QStringList themesBefore = themes, pixmapsBefore = pixmaps;
    for (const fs::path& folder : dataFolders()) {
        if (!themes.contains(qtPath(folder / "icons"))) themes << qtPath(folder / "icons");
        if (!pixmaps.contains(qtPath(folder / "pixmaps"))) pixmaps << qtPath(folder / "pixmaps");
    }
    if (themes != themesBefore) QIcon::setThemeSearchPaths(themes);
    if (pixmaps != pixmapsBefore) QIcon::setFallbackSearchPaths(pixmaps);
    if (QIcon::themeName().isEmpty()) QIcon::setThemeName("hicolor");
}

// A desktop entry's Icon: an image file, or an icon name looked up in the icon theme.
QIcon desktopIcon(const std::string& icon) {
    if (fs::path(icon).is_absolute()) return QIcon(QString::fromStdString(icon));
    searchDesktopIconFolders();
    return QIcon::fromTheme(QString::fromStdString(icon));
}

QImage iconAt(const QIcon& icon, int side) {
    return atSide(icon.pixmap(QSize(side, side), 1.0).toImage(), side);
}

IconPair iconsOf(const fs::path& file, int index) {
    if (const std::optional<ExtractedIcon> icon = extractIcon(file, index))
        return {toImage(icon->large, kLargeIconSize), toImage(icon->small, kSmallIconSize)};
    // A pipe or a device would block the image reader.
    std::error_code error;
    if (index != 0 || !fs::is_regular_file(file, error)) return {};
    if (isPlainExecutable(file)) {
        const std::optional<std::string> name = desktopIconOf(file);
        if (!name) return {};
        const QIcon icon = desktopIcon(*name);
        return {iconAt(icon, kLargeIconSize), iconAt(icon, kSmallIconSize)};
    }
    return {imageFile(file, kLargeIconSize), imageFile(file, kSmallIconSize)};
}

}  // namespace

TVGetAppIcon::TVGetAppIcon() : BackColor(QApplication::palette().color(QPalette::Window)) {}

bool TVGetAppIcon::GetIcon(int Index) {
    const IconPair icons = iconsOf(FileName, Index);
    const bool small = IconSize <= kSmallIconSize;
    Icon = small ? icons.small : icons.large;

    const int side = small ? kSmallIconSize : kLargeIconSize;
    QImage work(side, side, QImage::Format_ARGB32);
    work.fill(BackColor);
    if (!Icon.isNull()) QPainter(&work).drawImage(0, 0, Icon);
    if (IconSize < 1) {
        Bitmap = QPixmap();
        return true;
    }
    QImage result = work.scaled(IconSize, IconSize);
    result.setPixelColor(0, IconSize - 1, QApplication::palette().color(QPalette::Button));
    Bitmap = QPixmap::fromImage(result);
    return true;
}

QPixmap TVGetAppIcon::NoIcon() {
    // A blank sheet with a folded corner under a red "not available" sign.
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(QApplication::palette().color(QPalette::Window));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath sheet;
    sheet.moveTo(5.5, 2.5);
    sheet.lineTo(18.5, 2.5);
    sheet.lineTo(24.5, 8.5);
    sheet.lineTo(24.5, 28.5);
    sheet.lineTo(5.5, 28.5);
    sheet.closeSubpath();
    painter.setPen(QPen(QColor(96, 96, 96), 1));
    painter.setBrush(Qt::white);
    painter.drawPath(sheet);
    painter.drawPolyline(QPolygonF{{18.5, 2.5}, {18.5, 8.5}, {24.5, 8.5}});
    painter.setPen(QPen(QColor(168, 168, 168), 1));
    for (double y : {12.5, 15.5, 18.5})
        painter.drawLine(QPointF(8.5, y), QPointF(20.5, y));
    painter.setPen(QPen(QColor(200, 0, 0), 2.5));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(QPointF(21.5, 21.5), 7.5, 7.5);
    painter.drawLine(QPointF(16.2, 26.8), QPointF(26.8, 16.2));
    return QPixmap::fromImage(picture);
}

}  // namespace kestrin
