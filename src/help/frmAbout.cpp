#include "help/frmAbout.h"

#include <QPainter>

#include "help/About.h"
#include "platform/QtLook.h"
#include "platform/Shell.h"
#include "platform/VersionInfo.h"
#include "ui_frmAbout.h"

namespace kestrin {

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TfrmAbout>()) {
    ui_->setupUi(this);
    applyWindowLook(this);
    setFixedSize(size());
    const VersionInfo& info = versionInfo();
    ui_->ProductName->setText(QString::fromStdString(info.productName));
    ui_->Version->setText(QString::fromStdString(ownAboutVersionText()));
    ui_->lblLegalCopyright->setText(QString::fromStdString(info.legalCopyright));
    ui_->lblSite->setText(QString::fromUtf8(kProjectSite));
    ui_->lblSupportMail->setText(QString::fromUtf8(kSupportMail));

    connect(ui_->lblSite, &TLinkLabel::clicked, this, [] { openAddress(kProjectSite); });
    connect(ui_->lblSupportSite, &TLinkLabel::clicked, this, [] { openAddress(kSupportSite); });
    connect(ui_->lblSupportMail, &TLinkLabel::clicked, this,
            [] { openSupportMail(kSupportMail, openAddress); });
    connect(ui_->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

TfrmAbout::~TfrmAbout() = default;

void TfrmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    windowIcon().paint(&painter, 24, 24, 32, 32);
}

}  // namespace kestrin
