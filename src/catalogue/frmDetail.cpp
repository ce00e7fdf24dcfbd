#include "catalogue/frmDetail.h"

#include <QListWidgetItem>
#include <QShowEvent>

#include "catalogue/QtVGetAppIcon.h"
#include "platform/QtLook.h"
#include "ui_frmDetail.h"

namespace kestrin {

TfrmDetail::TfrmDetail(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmDetail>()) {
    ui->setupUi(this);
    applyWindowLook(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowContextHelpButtonHint |
                   Qt::WindowCloseButtonHint);
    // The author's name sits on the button face, as read-only text does.
    QPalette names = ui->edtAuthorName->palette();
    names.setColor(QPalette::Base, names.color(QPalette::Button));
    ui->edtAuthorName->setPalette(names);

    connect(ui->rdbDeleteAuthor, &QRadioButton::toggled, this, &TfrmDetail::rdbDeleteSoftwareClick);
    connect(ui->rdbDeleteSoftware, &QRadioButton::toggled, this,
            &TfrmDetail::rdbDeleteSoftwareClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TfrmDetail::btnOKClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmDetail::~TfrmDetail() = default;

void TfrmDetail::SetAuthorName(const std::string& name) {
    detail_.SetAuthorName(name);
    ui->edtAuthorName->setText(QString::fromStdString(name));
}

void TfrmDetail::SetAuthorKey(const std::string& key) {
    detail_.SetAuthorKey(key);
}

bool TfrmDetail::Execute(QWidget* owner, const std::string& authorName,
                         const std::string& authorKey) {
    TfrmDetail dialog(owner);
    dialog.SetAuthorName(authorName);
    dialog.SetAuthorKey(authorKey);
    return dialog.exec() == QDialog::Accepted;
}

void TfrmDetail::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown once; a window coming back from the task bar is no new showing.
    if (!event->spontaneous()) FormShow();
}

void TfrmDetail::FormShow() {
    LoadSoftwareList();
}

void TfrmDetail::LoadSoftwareList() {
    ui->lsvSoftwareList->clear();
    TVGetAppIcon icons;
    icons.SetBackColor(palette().color(QPalette::Window));
    icons.SetIconSize(32);
    for (const DetailSoftware& software : detail_.LoadSoftwareList()) {
        icons.SetFileName(software.filePath);
        QPixmap image = TVGetAppIcon::NoIcon();
        if (software.fileExists) {
            icons.GetIcon(software.iconIndex);
            image = icons.Bitmap;
        }
        auto* item = new QListWidgetItem(QIcon(image), QString::fromStdString(software.caption),
                                         ui->lsvSoftwareList);
        item->setData(Qt::UserRole, QString::fromStdString(software.key));
    }
}

void TfrmDetail::rdbDeleteSoftwareClick(bool checked) {
    if (!checked) return;  // the other button of the pair reports the change
    detail_.rdbDeleteSoftwareClick(sender()->property("Tag").toInt());
    ui->lblSoftwareList->setEnabled(detail_.SoftwareListEnabled());
    ui->lsvSoftwareList->setEnabled(detail_.SoftwareListEnabled());
}

void TfrmDetail::btnOKClick() {
    std::vector<std::size_t> selected;
    for (int row = 0; row < ui->lsvSoftwareList->count(); ++row) {
        if (ui->lsvSoftwareList->item(row)->isSelected()) selected.push_back(std::size_t(row));
    }
    if (detail_.btnOKClick(selected)) accept();
}

}  // namespace kestrin
