#include "app/frmMainClockTab.h"

#include <QPointer>

#include "app/NumberEdit.h"
#include "app/QtEditCheck.h"
#include "clock/NtpServers.h"
#include "ui_frmMainClockTab.h"

namespace kestrin {

TfrmMainClockTab::TfrmMainClockTab(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMainClockTab>()) {
    ui->setupUi(this);
    for (const std::string& server : ntpServerList())
        ui->cmbNTPServer->addItem(QString::fromStdString(server));
    connect(ui->btnNTPServerRandom, &QPushButton::clicked, this,
            &TfrmMainClockTab::btnNTPServerRandomClick);
    connect(ui->btnNTPDefault, &QPushButton::clicked, this, &TfrmMainClockTab::btnNTPDefaultClick);
    connect(ui->btnNTPSynchronize, &QPushButton::clicked, this, &TfrmMainClockTab::synchronize);
    checkOnLeaving(ui->edtNTPTimeOut, numberEditAccepted);
    checkOnLeaving(ui->edtNTPAllowableError, numberEditAccepted);
}

TfrmMainClockTab::~TfrmMainClockTab() = default;

void TfrmMainClockTab::load(const Settings& settings) {
    ui->cmbNTPServer->setCurrentText(QString::fromStdString(settings.ntpServer));
    ui->edtNTPTimeOut->setText(QString::number(settings.ntpTimeOut));
    ui->edtNTPAllowableError->setText(QString::number(settings.ntpIgnoreError));
    ui->chkNTPAutoSync->setChecked(settings.ntpAutoSync);
}

void TfrmMainClockTab::store(Settings& settings) const {
    const Settings defaults;
    settings.ntpServer = ui->cmbNTPServer->currentText().toStdString();
    settings.ntpTimeOut = numberOr(ui->edtNTPTimeOut->text().toStdString(), defaults.ntpTimeOut);
    settings.ntpIgnoreError =
        numberOr(ui->edtNTPAllowableError->text().toStdString(), defaults.ntpIgnoreError);
    settings.ntpAutoSync = ui->chkNTPAutoSync->isChecked();
}

void TfrmMainClockTab::synchronize() {
    const ClockFields fields{ui->cmbNTPServer->currentText().toStdString(),
                             ui->edtNTPTimeOut->text().toStdString(),
                             ui->edtNTPAllowableError->text().toStdString()};
    // The result arrives from the message pump, possibly after the window has gone.
    const ClockField refused = synchronizeClock(
        fields,
        [tab = QPointer<TfrmMainClockTab>(this)](const NtpStatusLine& line) {
            if (tab) emit tab->ntpStatusChanged(QString::fromStdString(line.text), line.clearLater);
        },
        ports_);
    if (refused == ClockField::TimeOut) ui->edtNTPTimeOut->setFocus();
    if (refused == ClockField::AllowableError) ui->edtNTPAllowableError->setFocus();
}

void TfrmMainClockTab::btnNTPServerRandomClick() {
    const int index = ui->cmbNTPServer->findText(QString::fromStdString(randomNtpServer()));
    ui->cmbNTPServer->setCurrentIndex(index);
}

void TfrmMainClockTab::btnNTPDefaultClick() {
    const ClockFields limits = withDefaultLimits({});
    ui->edtNTPTimeOut->setText(QString::fromStdString(limits.timeOut));
    ui->edtNTPAllowableError->setText(QString::fromStdString(limits.allowableError));
}

}  // namespace kestrin
