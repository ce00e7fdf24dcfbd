#pragma once
// TVGetAppIcon: a file name and an icon index in, a bitmap of a fixed size on a chosen
// background out. It knows the icons of Windows programs and libraries and .ico files (through
// the platform's icon reader), single images Qt reads (PNG, SVG, XPM, as icon 0), and for a
// Linux program, which has no icon inside, the icon of the desktop entry that runs it (icon 0).

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <string>

namespace kestrin {

class TVGetAppIcon {
  public:
    // IconSize 32, BackColor the window background colour.
    TVGetAppIcon();

    void SetFileName(const std::string& fileName) { FileName = fileName; }
    void SetIconSize(int iconSize) { IconSize = iconSize; }
    void SetBackColor(const QColor& backColor) { BackColor = backColor; }

    // Fills Bitmap from icon number `Index` of FileName: the small icon for an IconSize of 16
    // or less, else the large one, drawn at its standard size (16 or 32) on BackColor and
    // stretched to IconSize × IconSize; the bottom-left pixel is set to the button-face
    // colour. A file or an index without an icon gives the background alone. Returns true.
    bool GetIcon(int Index);

    // The picture a software entry shows when its file does not exist ("NOICON", 32 × 32).
    static QPixmap NoIcon();

    QPixmap Bitmap;  // the result of the last GetIcon
    QImage Icon;     // the icon the last GetIcon chose, at its standard size; null when none
    std::string FileName;
    int IconSize = 32;
    QColor BackColor;
};

}  // namespace kestrin
