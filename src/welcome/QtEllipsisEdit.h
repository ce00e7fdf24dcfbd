#pragma once
// TEllipsisEdit: a single-line field with a narrow button at its right end that raises
// ellipsisClick() (the welcome wizard's data file field opens its file dialog with it). The
// text ends before the button; the button, a child of the field, follows its enabled state,
// shows the arrow cursor, and gives the field the focus before it reports the click.

#include <QLineEdit>

class QToolButton;

namespace kestrin {

class TEllipsisEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString EllipsisHint READ ellipsisHint WRITE setEllipsisHint)

  public:
    static constexpr int kButtonWidth = 15;

    explicit TEllipsisEdit(QWidget* parent = nullptr);

    QString ellipsisHint() const;
    void setEllipsisHint(const QString& hint);
    QToolButton* ellipsisButton() const { return button_; }

  signals:
    void ellipsisClick();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QToolButton* button_;
};

}  // namespace kestrin
