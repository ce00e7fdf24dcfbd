#include "app/frmMainOptionsTab.h"

#include "app/OptionsTab.h"
#include "define/ArchiveExtensions.h"
#include "ui_frmMainOptionsTab.h"

namespace kestrin {

TfrmMainOptionsTab::TfrmMainOptionsTab(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMainOptionsTab>()) {
    ui->setupUi(this);
    connect(ui->btnAddExt, &QPushButton::clicked, this, &TfrmMainOptionsTab::btnAddExtClick);
    connect(ui->btnDelExt, &QPushButton::clicked, this, &TfrmMainOptionsTab::btnDelExtClick);
}

TfrmMainOptionsTab::~TfrmMainOptionsTab() = default;

void TfrmMainOptionsTab::load(const Settings& settings) {
    ui->chkRingSound->setChecked(settings.ringSound);
    ui->chkDisableInFavorites->setChecked(settings.hideDefineFolder);
    ui->chkDisplayWelcomeWizard->setEnabled(settings.welcome.enabled);
    ui->chkDisplayWelcomeWizard->setChecked(settings.welcome.checked);
    ui->chkConfirmAutoCheck->setChecked(settings.confirmAutoCheck);
    ui->chkNoAutoComplete->setChecked(!settings.autoComplete);
    ui->chkAVI->setChecked(settings.noAVI);
    ui->chkDisableError->setChecked(settings.restrainError);
    extensions_ = settings.extensions;
    sortExtensions(extensions_);
    showExtensions();
}

void TfrmMainOptionsTab::store(Settings& settings) const {
    settings.ringSound = ui->chkRingSound->isChecked();
    settings.hideDefineFolder = ui->chkDisableInFavorites->isChecked();
    settings.welcome = {.enabled = ui->chkDisplayWelcomeWizard->isEnabled(),
                        .checked = ui->chkDisplayWelcomeWizard->isChecked()};
    settings.confirmAutoCheck = ui->chkConfirmAutoCheck->isChecked();
    settings.autoComplete = !ui->chkNoAutoComplete->isChecked();
    settings.noAVI = ui->chkAVI->isChecked();
    settings.restrainError = ui->chkDisableError->isChecked();
    settings.extensions = extensions_;
}

void TfrmMainOptionsTab::showExtensions() {
    ui->lsbExtention->clear();
    for (const std::string& extension : extensions_)
        ui->lsbExtention->addItem(QString::fromStdString(extension));
}

void TfrmMainOptionsTab::btnAddExtClick() {
    if (askAndAddExtension(extensions_)) showExtensions();
}

void TfrmMainOptionsTab::btnDelExtClick() {
    const int row = ui->lsbExtention->currentRow();
    std::optional<std::size_t> selected;
    if (row >= 0 && ui->lsbExtention->currentItem()->isSelected()) selected = std::size_t(row);
    if (deleteExtension(extensions_, selected)) showExtensions();
}

}  // namespace kestrin
