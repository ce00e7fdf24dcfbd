#pragma once
// Animate1 of the welcome wizard: a sheet flying from one folder to another while the
// conversion runs; stopped, it shows frame 26.

#include <QTimer>
#include <QWidget>

namespace kestrin {

class TCopyAnimation : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFrames = 32;
    static constexpr int kStoppedFrame = 26;

    explicit TCopyAnimation(QWidget* parent = nullptr);
    void setActive(bool active);
    bool isActive() const { return timer_.isActive(); }
    int frame() const { return frame_; }
    QSize sizeHint() const override { return {272, 60}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QTimer timer_;
    int frame_ = kStoppedFrame;
};

}  // namespace kestrin
