#include "app/frmMainProxyTab.h"

#include "app/NumberEdit.h"
#include "app/PasswordScramble.h"
#include "app/ProxyTab.h"
#include "app/QtEditCheck.h"
#include "ui_frmMainProxyTab.h"

namespace kestrin {

namespace {
QString qt(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

TfrmMainProxyTab::TfrmMainProxyTab(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMainProxyTab>()) {
    ui->setupUi(this);
    connect(ui->chkUseProxy, &QCheckBox::toggled, this, &TfrmMainProxyTab::applyEnabling);
    connect(ui->chkAuthenticate, &QCheckBox::toggled, this, &TfrmMainProxyTab::applyEnabling);
    connect(ui->btnGetProxyFromIE, &QPushButton::clicked, this,
            &TfrmMainProxyTab::btnGetProxyFromIEClick);
    checkOnLeaving(ui->edtProxyPort, numberEditAccepted);
    checkOnLeaving(ui->edtPassword, passwordAccepted);
}

TfrmMainProxyTab::~TfrmMainProxyTab() = default;

void TfrmMainProxyTab::load(const Settings& settings) {
    ui->chkUseProxy->setChecked(settings.useProxy);
    ui->edtProxy->setText(qt(settings.proxyAddress));
    ui->edtProxyPort->setText(qt(settings.proxyPort));
    ui->chkAuthenticate->setChecked(settings.useAuthenticate);
    ui->edtIdentify->setText(qt(settings.userID));
    ui->edtPassword->setText(qt(settings.password));
    ui->chkDisableProxyCache->setChecked(settings.disableProxyCache);
    loadedPassword_ = settings.password;
    applyEnabling();
    if (settings.proxyFromBrowser) tellProxyFromBrowser();
}

void TfrmMainProxyTab::store(Settings& settings) const {
    settings.useProxy = ui->chkUseProxy->isChecked();
    settings.proxyAddress = ui->edtProxy->text().toStdString();
    settings.proxyPort = ui->edtProxyPort->text().toStdString();
    settings.useAuthenticate = ui->chkAuthenticate->isChecked();
    settings.userID = ui->edtIdentify->text().toStdString();
    const std::string password = ui->edtPassword->text().toStdString();
    settings.password = passwordProblem(password).empty() ? password : loadedPassword_;
    settings.disableProxyCache = ui->chkDisableProxyCache->isChecked();
}

void TfrmMainProxyTab::applyEnabling() {
    const ProxyEnabling enabled =
        proxyEnabling(ui->chkUseProxy->isChecked(), ui->chkAuthenticate->isChecked());
    const QList<QWidget*> server{ui->lblProxy,
                                 ui->edtProxy,
                                 ui->Label12,
                                 ui->edtProxyPort,
                                 ui->btnGetProxyFromIE,
                                 ui->chkAuthenticate,
                                 ui->chkDisableProxyCache};
    for (QWidget* control : server)
        control->setEnabled(enabled.server);
    const QList<QWidget*> authentication{ui->Label19, ui->edtIdentify, ui->Label22,
                                         ui->edtPassword};
    for (QWidget* control : authentication)
        control->setEnabled(enabled.authentication);
}

void TfrmMainProxyTab::btnGetProxyFromIEClick() {
    Settings proxy;
    store(proxy);
    const bool taken = takeBrowserProxy(proxy);
    ui->chkUseProxy->setChecked(proxy.useProxy);  // also when only the switch was found
    ui->edtProxy->setText(qt(proxy.proxyAddress));
    ui->edtProxyPort->setText(qt(proxy.proxyPort));
    if (taken) tellProxyFromBrowser();
}

}  // namespace kestrin
