#pragma once
// The proxy tab of the setting-up page (TabSheet9, "プロキシ設定"): the proxy every transfer
// uses, its Basic authentication and the cache switch, laid out in frmMainProxyTab.ui.

#include <QWidget>
#include <memory>

#include "app/Settings.h"

namespace Ui {
class TfrmMainProxyTab;
}

namespace kestrin {

class TfrmMainProxyTab : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmMainProxyTab(QWidget* parent = nullptr);
    ~TfrmMainProxyTab() override;

    // Shows the proxy values; when the address came from the browser settings the user is told,
    // as btnGetProxyFromIE does.
    void load(const Settings& settings);
    // The proxy values as the controls hold them. A password the store cannot keep (refused on
    // leaving its edit) is left as it was loaded.
    void store(Settings& settings) const;

  private:
    void applyEnabling();
    void btnGetProxyFromIEClick();

    std::unique_ptr<Ui::TfrmMainProxyTab> ui;
    std::string loadedPassword_;
};

}  // namespace kestrin
