#pragma once
// The clock tab of the setting-up page (TabSheet10, "NTP 同期の設定"): the time server, the
// time-out and allowable error of a synchronisation, the switch that synchronises after every
// run, and the synchronisation itself; laid out in frmMainClockTab.ui.

#include <QWidget>
#include <memory>

#include "app/ClockTab.h"
#include "app/Settings.h"

namespace Ui {
class TfrmMainClockTab;
}

namespace kestrin {

class TfrmMainClockTab : public QWidget {
    Q_OBJECT

  public:
    explicit TfrmMainClockTab(QWidget* parent = nullptr);
    ~TfrmMainClockTab() override;

    void load(const Settings& settings);
    // A limit that holds no number is stored as its default.
    void store(Settings& settings) const;

    // btnNTPSynchronize, also after a run: one synchronisation with the tab's values. Its status
    // texts arrive through ntpStatusChanged.
    void synchronize();
    // The ports of the exchange (tests point them at a local server).
    void setNtpPorts(const NtpPorts& ports) { ports_ = ports; }

  signals:
    // A text for the status line lblNTPStatus; with `clearLater` the line is cleared a few
    // seconds later, otherwise it keeps the text until the next one.
    void ntpStatusChanged(const QString& text, bool clearLater);

  private:
    void btnNTPServerRandomClick();
    void btnNTPDefaultClick();

    std::unique_ptr<Ui::TfrmMainClockTab> ui;
    NtpPorts ports_;
};

}  // namespace kestrin
