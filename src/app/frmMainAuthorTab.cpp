#include "app/frmMainAuthorTab.h"

#include <QHeaderView>
#include <QMenu>

#include "app/AuthorTab.h"
#include "catalogue/frmDetail.h"
#include "ui_frmMainAuthorTab.h"

namespace kestrin {

namespace {
// The hidden columns: the author key and the author's page.
constexpr int kKeyColumn = 2;
constexpr int kUrlColumn = 3;
}  // namespace

TfrmMainAuthorTab::TfrmMainAuthorTab(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMainAuthorTab>()) {
    ui->setupUi(this);
    QHeaderView* header = ui->lsvAuthor->header();
    header->setSectionsClickable(false);
    header->setSectionHidden(kKeyColumn, true);
    header->setSectionHidden(kUrlColumn, true);
    const Settings defaults;
    for (int column = 0; column < int(defaults.authorColumns.size()); ++column)
        ui->lsvAuthor->setColumnWidth(column, defaults.authorColumns[column]);
    buildCheckMenu();

    connect(ui->btnAuthorCheck, &QPushButton::clicked, this,
            &TfrmMainAuthorTab::btnAuthorCheckClick);
    connect(ui->btnDeleteAuthor, &QPushButton::clicked, this,
            &TfrmMainAuthorTab::btnDeleteAuthorClick);
    connect(ui->btnSite, &QPushButton::clicked, this, &TfrmMainAuthorTab::btnSiteClick);
}

TfrmMainAuthorTab::~TfrmMainAuthorTab() = default;

void TfrmMainAuthorTab::buildCheckMenu() {
    ppmCheck_ = new QMenu(this);
    ppmCheck_->setObjectName(QStringLiteral("ppmCheck"));
    for (const AuthorCheckMenuItem& item : authorCheckMenu()) {
        QAction* action = item.caption.empty()
                              ? ppmCheck_->addSeparator()
                              : ppmCheck_->addAction(QString::fromStdString(item.caption));
        action->setObjectName(QString::fromStdString(item.name));
        action->setProperty("tag", item.tag);
        if (item.tag > 0)
            connect(action, &QAction::triggered, this,
                    [this, tag = item.tag] { mnuAuthorCheck(tag); });
    }
    mnuReflect_ = ppmCheck_->findChild<QAction*>(QStringLiteral("mnuReflect"));
    mnuReflect_->setCheckable(true);  // a click toggles it
    mnuReflect_->setChecked(Settings{}.checkReflect);
}

void TfrmMainAuthorTab::load(const Settings& settings) {
    for (int column = 0; column < int(settings.authorColumns.size()); ++column)
        ui->lsvAuthor->setColumnWidth(column, settings.authorColumns[column]);
    mnuReflect_->setChecked(settings.checkReflect);
}

void TfrmMainAuthorTab::store(Settings& settings) const {
    for (int column = 0; column < int(settings.authorColumns.size()); ++column)
        settings.authorColumns[column] = ui->lsvAuthor->columnWidth(column);
    settings.checkReflect = mnuReflect_->isChecked();
}

void TfrmMainAuthorTab::FillAuthorList() {
    showAuthors(kestrin::FillAuthorList(mnuReflect_->isChecked()));
}

std::vector<AuthorRow> TfrmMainAuthorTab::authors() const {
    std::vector<AuthorRow> rows = rows_;
    for (std::size_t row = 0; row < rows.size(); ++row)
        rows[row].checked = ui->lsvAuthor->topLevelItem(int(row))->checkState(0) == Qt::Checked;
    return rows;
}

void TfrmMainAuthorTab::showAuthors(const std::vector<AuthorRow>& authors) {
    const int selected = selectedRow();
    rows_ = authors;
    ui->lsvAuthor->clear();
    for (const AuthorRow& row : rows_) {
        auto* item = new QTreeWidgetItem(ui->lsvAuthor);
        item->setText(0, QString::fromStdString(row.name));
        item->setText(1, QString::fromStdString(row.software));
        item->setText(kKeyColumn, QString::fromStdString(row.key));
        item->setText(kUrlColumn, QString::fromStdString(row.url));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    }
    if (selected >= 0 && selected < int(rows_.size()))
        ui->lsvAuthor->setCurrentItem(ui->lsvAuthor->topLevelItem(selected));
}

void TfrmMainAuthorTab::mnuAuthorCheck(int tag) {
    std::vector<AuthorRow> rows = authors();
    kestrin::mnuAuthorCheck(rows, tag);
    showAuthors(rows);
}

int TfrmMainAuthorTab::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = ui->lsvAuthor->selectedItems();
    return selected.isEmpty() ? -1 : ui->lsvAuthor->indexOfTopLevelItem(selected.front());
}

void TfrmMainAuthorTab::btnAuthorCheckClick() {
    ppmCheck_->popup(ui->btnAuthorCheck->mapToGlobal(QPoint(0, ui->btnAuthorCheck->height())));
}

void TfrmMainAuthorTab::btnDeleteAuthorClick() {
    const int row = selectedRow();
    if (row < 0) return;
    const AuthorRow& author = rows_[std::size_t(row)];
    if (TfrmDetail::Execute(window(), author.name, author.key)) FillAuthorList();
}

void TfrmMainAuthorTab::btnSiteClick() {
    if (const int row = selectedRow(); row >= 0) openAuthorSite(rows_[std::size_t(row)]);
}

}  // namespace kestrin
