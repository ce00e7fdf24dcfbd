#pragma once
// The About window ("バージョン情報"): product name, version text and legal notice from the
// version information, the application icon, and the project's three contact links.

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmAbout;
}

namespace kestrin {

class TfrmAbout : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::unique_ptr<Ui::TfrmAbout> ui_;
};

}  // namespace kestrin
