#include "define/frmMainDefineTab.h"

#include <QApplication>
#include <QMenu>

#include "platform/Shell.h"
#include "text/LineBreaks.h"
#include "ui_frmMainDefineTab.h"

namespace kestrin {

namespace {

bool inside(const QWidget* widget, const QWidget* view) {
    return widget && (widget == view || view->isAncestorOf(widget));
}

}  // namespace

TfrmMainDefineTab::TfrmMainDefineTab(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TfrmMainDefineTab>()) {
    ui->setupUi(this);
    ui->trvDefine->setTree(&list_.tree());
    ui->trvDefine->setPopupMenu(ui->ppmDefineTree);
    ui->lsvDefine->setTree(&list_.tree());
    ui->lsvDefine->setContextMenuPolicy(Qt::CustomContextMenu);
    loadFrom(Settings{});  // the design widths
    connectList();
    connectMenus();
    connectTree();
    connect(qApp, &QApplication::focusChanged, this, &TfrmMainDefineTab::focusChanged);
    list_.rebuild();
}

TfrmMainDefineTab::~TfrmMainDefineTab() {
    if (busy_) QApplication::restoreOverrideCursor();
}

void TfrmMainDefineTab::connectList() {
    TDefineListWidget* list = ui->lsvDefine;
    connect(list, &QTreeWidget::itemChanged, this, [this, list](QTreeWidgetItem* item, int column) {
        if (column == 0)
            list_.setChecked(std::size_t(list->indexOfTopLevelItem(item)),
                             item->checkState(0) == Qt::Checked);
    });
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this] {
        showSelectionHint();
        showMenuState();
    });
    connect(list, &QTreeWidget::itemDoubleClicked, this, [this] { list_.openPage(selectedRow()); });
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
        ui->ppmDefineMenu->popup(list->viewport()->mapToGlobal(at));
    });
    connect(list, &TDefineListWidget::deletePressed, this,
            [this] { list_.deleteItem(selectedRow()); });
    connect(list, &TDefineListWidget::editorOpened, this, [this] { list_.editorOpened(); });
    connect(list, &TDefineListWidget::editorClosed, this, [this] { list_.editorClosed(); });
    connect(list, &TDefineListWidget::captionEdited, this, [this](int row, const QString& text) {
        list_.renameItem(std::size_t(row), text.toStdString());
    });
    connect(list, &TDefineListWidget::dragStarted, ui->trvDefine,
            &TDefineTreeWidget::startAutoScroll);
    connect(list, &TDefineListWidget::dragFinished, ui->trvDefine,
            &TDefineTreeWidget::stopAutoScroll);

    connect(ui->btnAddItem, &QPushButton::clicked, this, &TfrmMainDefineTab::addItemRequested);
    connect(ui->btnEditItem, &QPushButton::clicked, this, &TfrmMainDefineTab::changeItem);
    connect(ui->btnDeleteItem, &QPushButton::clicked, this,
            [this] { list_.deleteItem(selectedRow()); });
    connect(ui->btnJumpSituation, &QPushButton::clicked, this,
            [this] { list_.openPage(selectedRow()); });
    connect(ui->btnDefineAction, &QPushButton::clicked, this, [this] {
        // Just below the button's left edge.
        ui->ppmDefineMenu->popup(
            ui->btnDefineAction->mapToGlobal(QPoint(0, ui->btnDefineAction->height())));
    });
}

void TfrmMainDefineTab::connectMenus() {
    connect(ui->ppmDefineMenu, &QMenu::aboutToShow, this, &TfrmMainDefineTab::showMenuState);
    connect(ui->mnuUpdated, &QAction::triggered, this, [this] {
        list_.clearMark(selectedRow());
        ui->mnuUpdated->setChecked(true);  // drawn checked whenever it shows
    });
    connect(ui->mnuAddItem, &QAction::triggered, this, &TfrmMainDefineTab::addItemRequested);
    connect(ui->mnuEditItem, &QAction::triggered, this, &TfrmMainDefineTab::changeItem);
    connect(ui->mnuDeleteItem, &QAction::triggered, this,
            [this] { list_.deleteItem(selectedRow()); });
    connect(ui->mnuJumpURL, &QAction::triggered, this, [this] { list_.openPage(selectedRow()); });
    connect(ui->mnuChangeTermName, &QAction::triggered, this, [this] {
        if (!list_.editing()) ui->lsvDefine->editSelectedRow();
    });
    const std::pair<QAction*, CheckCommand> checks[] = {
        {ui->mnuCheckAll, CheckCommand::CheckAll},
        {ui->mnuUncheckAll, CheckCommand::UncheckAll},
        {ui->mnuInvertChecks, CheckCommand::Invert}};
    for (const auto& [action, command] : checks)
        connect(action, &QAction::triggered, this, [this, command] { list_.checkShown(command); });
    connect(ui->mnuUnUpdated, &QAction::triggered, this, [this] { list_.clearUpdatedMarks(); });
    const std::pair<QAction*, ViewFilter> filters[] = {
        {ui->mnuViewUpdatedOnly, ViewFilter::UpdatedOnly},
        {ui->mnuViewActiveOnly, ViewFilter::ActiveOnly},
        {ui->mnuViewErrorOnly, ViewFilter::ErrorOnly}};
    for (const auto& [action, filter] : filters)
        connect(action, &QAction::triggered, this, [this, filter] { list_.filter(filter); });
    connect(ui->mnuViewDefault, &QAction::triggered, this, [this] {
        ui->trvDefine->commitSelection();
        list_.listAgain();
    });
    showMenuState();
}

void TfrmMainDefineTab::connectTree() {
    TDefineTreeWidget* tree = ui->trvDefine;
    connect(tree, &TDefineTreeWidget::nodeSelected, this,
            [this](TreeNode* node) { list_.select(node); });
    connect(tree, &TDefineTreeWidget::editorOpened, this, [this] { list_.editorOpened(); });
    connect(tree, &TDefineTreeWidget::editorClosed, this, [this] { list_.editorClosed(); });
    connect(tree, &TDefineTreeWidget::captionEdited, this,
            [this](TreeNode* node, const QString& text) {
                list_.renameFolder(node, text.toStdString());
            });
    connect(tree, &TDefineTreeWidget::rowDropped, this,
            [this](int index, TreeNode* target) { list_.dropItem(index, target); });
    connect(tree, &TDefineTreeWidget::folderDropped, this,
            [this](TreeNode* target) { list_.dropFolder(target); });

    // The folder commands act on the node the tree has selected.
    auto deleteFolder = [this, tree] {
        tree->commitSelection();
        list_.deleteFolder();
    };
    connect(tree, &TDefineTreeWidget::deletePressed, this, deleteFolder);
    connect(ui->Delete1, &QAction::triggered, this, deleteFolder);
    connect(ui->mnuAddNode, &QAction::triggered, this, [this, tree] {
        tree->commitSelection();
        list_.addFolder();
    });
    connect(ui->mnuNodeNameChange, &QAction::triggered, this, [this, tree] {
        if (!list_.editing()) tree->editCurrentNode();
    });
}

void TfrmMainDefineTab::loadFrom(const Settings& settings) {
    for (std::size_t column = 0; column < settings.defineColumns.size(); ++column)
        ui->lsvDefine->setColumnWidth(int(column), settings.defineColumns[column]);
}

void TfrmMainDefineTab::storeTo(Settings& settings) const {
    for (std::size_t column = 0; column < settings.defineColumns.size(); ++column)
        settings.defineColumns[column] = ui->lsvDefine->columnWidth(int(column));
}

std::vector<DefineRow> TfrmMainDefineTab::listSelectedDefineRows() {
    ui->trvDefine->commitSelection();
    list_.listAgain();
    std::vector<DefineRow> rows;
    for (const DefineListRow& row : list_.rows())
        rows.push_back(
            {row.caption, list_.tree().FileList.at(std::size_t(row.index)), row.checked});
    return rows;
}

void TfrmMainDefineTab::rebuildTree() {
    list_.rebuild();
}

std::optional<std::size_t> TfrmMainDefineTab::selectedRow() const {
    return ui->lsvDefine->selectedRow();
}

void TfrmMainDefineTab::showMenuState() {
    const ItemMenuState state = list_.menuState(selectedRow());
    ui->mnuUpdated->setVisible(state.markShown);
    if (state.markShown) ui->mnuUpdated->setText(QString::fromStdString(state.markCaption));
    ui->mnuUpdated->setChecked(true);
    for (QAction* action :
         {ui->mnuEditItem, ui->mnuDeleteItem, ui->mnuJumpURL, ui->mnuChangeTermName})
        action->setEnabled(state.rowCommands);
}

void TfrmMainDefineTab::showSelectionHint() {
    // Without a selected row the hint stays as it was.
    if (const auto row = selectedRow())
        ui->lsvDefine->setToolTip(
            QString::fromStdString(replaceLineBreaks(list_.selectionHint(*row), "\n")));
}

void TfrmMainDefineTab::changeItem() {
    if (const auto item = list_.itemToChange(selectedRow())) emit changeItemRequested(*item);
}

void TfrmMainDefineTab::focusChanged(QWidget* old, QWidget* now) {
    // A message box or another window taking the focus is no exit from the list or the tree.
    if (!now || now->window() != window()) return;
    for (const QWidget* view :
         {static_cast<QWidget*>(ui->trvDefine), static_cast<QWidget*>(ui->lsvDefine)}) {
        if (inside(old, view) && !inside(now, view)) list_.focusLeft();
    }
}

void TfrmMainDefineTab::listingStarted() {
    if (!busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
    const QSignalBlocker quiet(ui->lsvDefine);
    ui->lsvDefine->clear();
}

void TfrmMainDefineTab::listingEnded() {
    if (busy_) QApplication::restoreOverrideCursor();
    busy_ = false;
    showMenuState();
}

void TfrmMainDefineTab::rowAppended(const DefineListRow& row) {
    const QSignalBlocker quiet(ui->lsvDefine);
    auto* item = new QTreeWidgetItem(ui->lsvDefine);
    ui->lsvDefine->showRow(item, row);
}

void TfrmMainDefineTab::rowChanged(std::size_t position, const DefineListRow& row) {
    {
        const QSignalBlocker quiet(ui->lsvDefine);
        ui->lsvDefine->showRow(ui->lsvDefine->topLevelItem(int(position)), row);
    }
    if (selectedRow() == position) showSelectionHint();
    showMenuState();
}

void TfrmMainDefineTab::rowRemoved(std::size_t position) {
    {
        const QSignalBlocker quiet(ui->lsvDefine);
        delete ui->lsvDefine->takeTopLevelItem(int(position));
    }
    showMenuState();
}

void TfrmMainDefineTab::treeChanged() {
    ui->trvDefine->showNodes();
}

void TfrmMainDefineTab::openPage(const std::string& address) {
    openAddress(address);
}

void TfrmMainDefineTab::dialogKeysHeld(bool held) {
    keysHeld_ = held;
    emit dialogKeysHeldChanged(held);
}

}  // namespace kestrin
