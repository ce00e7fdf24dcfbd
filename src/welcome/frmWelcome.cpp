#include "welcome/frmWelcome.h"

#include <QFileDialog>
#include <QFileInfo>

#include "help/Help.h"
#include "platform/QtLook.h"
#include "platform/Shell.h"
#include "ui_frmWelcome.h"

namespace kestrin {

namespace {

void openLink(const QLabel* link) {
    openAddress(link->text().toStdString());
}

}  // namespace

TfrmWelcome::TfrmWelcome(std::string rootPath, std::function<void()> rebuildTree, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TfrmWelcome>()),
      rootPath_(std::move(rootPath)),
      rebuildTree_(std::move(rebuildTree)),
      opdSetUDI_(new QFileDialog(this)) {
    ui_->setupUi(this);
    applyWindowLook(this);
    opdSetUDI_->setObjectName(QStringLiteral("opdSetUDI"));
    opdSetUDI_->setNameFilter(QStringLiteral("Kestrin 2 定義ファイル(*.udi)"));
    opdSetUDI_->setFileMode(QFileDialog::ExistingFile);
    opdSetUDI_->setOption(QFileDialog::DontUseNativeDialog);

    for (auto [combo, tag] : {std::pair{ui_->cmbProduct1, 0}, std::pair{ui_->cmbProduct2, 1}}) {
        for (const WelcomeLink& page : welcomeProductPages(tag))
            combo->addItem(QString::fromUtf8(page.title), QString::fromUtf8(page.address));
        combo->setCurrentIndex(0);
    }

    connect(ui_->btnNext, &QPushButton::clicked, this, &TfrmWelcome::pageButtonClick);
    connect(ui_->btnBack, &QPushButton::clicked, this, &TfrmWelcome::pageButtonClick);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->btnHelp, &QPushButton::clicked, this, [] { showHelpTopic(kHelpWelcome); });
    connect(ui_->edtUDIPath, &TEllipsisEdit::ellipsisClick, this,
            &TfrmWelcome::chooseOldDefineFile);
    connect(ui_->btnConvert, &QPushButton::clicked, this, &TfrmWelcome::convert);
    connect(ui_->btnJump1, &QPushButton::clicked, this, &TfrmWelcome::jumpToProduct);
    connect(ui_->btnJump2, &QPushButton::clicked, this, &TfrmWelcome::jumpToProduct);
    connect(ui_->btnDisplayHTMLHelp, &QPushButton::clicked, this, &TfrmWelcome::checkHelp);
    for (TLinkLabel* link : {ui_->lblSupportLink, ui_->lblDonationLink, ui_->Label36})
        connect(link, &TLinkLabel::clicked, this, [link] { openLink(link); });
    showPage();
}

TfrmWelcome::~TfrmWelcome() = default;

void TfrmWelcome::setOldDefineFile(const std::string& path) {
    ui_->edtUDIPath->setText(QString::fromStdString(path));
    if (!path.empty()) opdSetUDI_->setDirectory(QFileInfo(QString::fromStdString(path)).path());
}

bool TfrmWelcome::dontShowAgain() const {
    return ui_->chkDontShowWelcome->isChecked();
}

void TfrmWelcome::pageButtonClick() {
    const bool next = sender()->property("tag").toInt() == 0;
    if (next) {
        if (wizard_.next()) {
            accept();
            return;
        }
    } else {
        wizard_.back();
    }
    showPage();
}

void TfrmWelcome::showPage() {
    ui_->pgcWelcome->setCurrentIndex(wizard_.page());
    ui_->btnBack->setEnabled(wizard_.backEnabled());
    ui_->btnNext->setText(QString::fromUtf8(wizard_.nextCaption()));
}

void TfrmWelcome::chooseOldDefineFile() {
    const std::string preset = oldDefineDialogFile(ui_->edtUDIPath->text().toStdString());
    opdSetUDI_->selectFile(QString::fromStdString(preset));
    if (opdSetUDI_->exec() == QDialog::Accepted && !opdSetUDI_->selectedFiles().isEmpty())
        ui_->edtUDIPath->setText(opdSetUDI_->selectedFiles().first());
}

void TfrmWelcome::convert() {
    convertOldDefineData(ui_->edtUDIPath->text().toStdString(), rootPath_, *this);
}

void TfrmWelcome::checkHelp() {
    ui_->btnDisplayHTMLHelp->setEnabled(false);
    ui_->Label31->setEnabled(false);
    HelpCheck check = kestrin::checkHelp(helpAvailable());
    if (check.showContents) showHelpTopic(kHelpContents);
    if (!check.label32Text.empty())
        ui_->Label32->setText(QString::fromStdString(check.label32Text));
    ui_->Label32->setVisible(true);
    ui_->Label36->setVisible(check.linkVisible);
}

void TfrmWelcome::jumpToProduct() {
    QComboBox* list = sender()->property("tag").toInt() == 0 ? ui_->cmbProduct1 : ui_->cmbProduct2;
    const QString address = list->currentData().toString();
    if (!address.isEmpty()) openAddress(address.toStdString());
}

void TfrmWelcome::setAnimationPlaying(bool playing) {
    ui_->Animate1->setActive(playing);
}

void TfrmWelcome::showProgress(int position, int maximum) {
    // A file of one section reports 0 of 0; the bar keeps a range so it does not turn into a
    // busy indicator.
    ui_->prbConvert->setMaximum(std::max(maximum, 1));
    ui_->prbConvert->setValue(position);
    ui_->prbConvert->repaint();
}

void TfrmWelcome::clearProgress() {
    ui_->prbConvert->setValue(0);
}

void TfrmWelcome::rebuildDefineTree() {
    if (rebuildTree_) rebuildTree_();
}

}  // namespace kestrin
