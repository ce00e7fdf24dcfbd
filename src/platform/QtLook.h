#pragma once
// The look every window of the system shares: the Japanese UI font, the application icon and
// the style of page headings. A form marks its headings with the dynamic property "heading".

#include <QFont>
#include <QIcon>

class QWidget;

namespace kestrin {

// A Japanese UI font in the place of "MS UI Gothic", 12 pixels high.
QFont windowFont();

// The program's icon, drawn rather than loaded so that it needs no file.
QIcon applicationIcon();

// Gives `window` the window font and the application icon, and its heading labels their style.
void applyWindowLook(QWidget* window);

}  // namespace kestrin
