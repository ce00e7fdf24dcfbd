#pragma once
// A link label: blue, underlined, with the hand cursor; a click with the left button raises
// clicked(). The window decides what the click opens.

#include <QLabel>

namespace kestrin {

class TLinkLabel : public QLabel {
    Q_OBJECT

  public:
    explicit TLinkLabel(QWidget* parent = nullptr);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kestrin
