#pragma once
// The options tab of the setting-up page (TabSheet7, "Kestrinの設定"): the groups "環境" and
// "特殊" and the archive extension editor, laid out in frmMainOptionsTab.ui. The extension list
// is saved at once on every change; everything else with the other settings.

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"

namespace Ui {
class TfrmMainOptionsTab;
}

namespace kestrin {

class TfrmMainOptionsTab : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmMainOptionsTab(QWidget* parent = nullptr);
    ~TfrmMainOptionsTab() override;

    void load(const Settings& settings);
    void store(Settings& settings) const;

  private:
    void showExtensions();
    void btnAddExtClick();
    void btnDelExtClick();

    std::unique_ptr<Ui::TfrmMainOptionsTab> ui;
    std::vector<std::string> extensions_;  // as lsbExtention shows them, sorted
};

}  // namespace kestrin
