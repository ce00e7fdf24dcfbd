#include "define/QtDefineViews.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTreeWidgetItemIterator>
#include <array>

namespace kestrin {

namespace {

constexpr const char* kDragFormat = "application/x-kestrin-define-drag";

// A sheet of paper with a folded corner and a few lines of text.
void drawPage(QPainter& painter) {
    const QPolygonF sheet{{2.5, 0.5}, {10.5, 0.5}, {13.5, 3.5}, {13.5, 15.5}, {2.5, 15.5}};
    painter.setPen(QPen(QColor(90, 100, 120), 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(sheet);
    painter.setBrush(QColor(210, 215, 225));
    painter.drawPolygon(QPolygonF{{10.5, 0.5}, {10.5, 3.5}, {13.5, 3.5}});
    painter.setPen(QPen(QColor(100, 140, 200), 1));
    for (double y : {5.5, 7.5, 9.5, 11.5})
        painter.drawLine(QPointF(4.5, y), QPointF(y < 6 ? 9.5 : 11.5, y));
}

QPixmap drawListIcon(DefineIcon icon) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    drawPage(painter);
    if (icon == DefineIcon::Updated) {
        // An orange upward arrow: the page changed.
        const QPolygonF arrow{{11, 6},   {15.5, 10.5}, {13, 10.5}, {13, 15.5},
                              {9, 15.5}, {9, 10.5},    {6.5, 10.5}};
        painter.setPen(QPen(QColor(150, 60, 0), 1));
        painter.setBrush(QColor(255, 165, 40));
        painter.drawPolygon(arrow);
    } else if (icon == DefineIcon::Error) {
        // A red disc with a white cross: the last check failed.
        painter.setPen(QPen(QColor(130, 0, 0), 1));
        painter.setBrush(QColor(220, 30, 30));
        painter.drawEllipse(QRectF(7.5, 7.5, 8, 8));
        painter.setPen(QPen(Qt::white, 1.6));
        painter.drawLine(QPointF(9.8, 9.8), QPointF(13.2, 13.2));
        painter.drawLine(QPointF(13.2, 9.8), QPointF(9.8, 13.2));
    }
    return pixmap;
}

// The drag's owner: this process and the tree whose nodes and FileList the drag refers to.
QByteArray ownerOf(const TVKestrinTree& tree) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
           QByteArray::number(reinterpret_cast<quintptr>(&tree));
}

}  // namespace

QIcon defineListIcon(DefineIcon icon) {
    static const std::array<QIcon, 3> icons = {QIcon(drawListIcon(DefineIcon::Plain)),
                                               QIcon(drawListIcon(DefineIcon::Updated)),
                                               QIcon(drawListIcon(DefineIcon::Error))};
    return icons.at(static_cast<std::size_t>(icon));
}

QMimeData* makeDefineDrag(const TVKestrinTree& tree, DefineDrag drag) {
    auto* data = new QMimeData;
    data->setData(kDragFormat, ownerOf(tree) + ' ' + QByteArray::number(int(drag.kind)) + ' ' +
                                   QByteArray::number(drag.index));
    return data;
}

std::optional<DefineDrag> readDefineDrag(const QMimeData* data, const TVKestrinTree& tree) {
    if (!data || !data->hasFormat(kDragFormat)) return std::nullopt;
    const QList<QByteArray> parts = data->data(kDragFormat).split(' ');
    if (parts.size() != 4 || parts[0] + ' ' + parts[1] != ownerOf(tree)) return std::nullopt;
    bool kindRead = false, indexRead = false;
    const int kind = parts[2].toInt(&kindRead);
    const int index = parts[3].toInt(&indexRead);
    if (!kindRead || !indexRead || (kind != DefineDrag::Row && kind != DefineDrag::Folder))
        return std::nullopt;
    return DefineDrag{static_cast<DefineDrag::Kind>(kind), index};
}

QWidget* TCaptionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (index.column() != 0) return nullptr;  // only the caption is edited
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor) emit const_cast<TCaptionDelegate*>(this)->editorOpened();
    return editor;
}

void TCaptionDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                    const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    auto* self = const_cast<TCaptionDelegate*>(this);
    QTimer::singleShot(0, self, [self, index = QPersistentModelIndex(index), text = line->text()] {
        emit self->captionEdited(index, text);
    });
}

TDefineTreeWidget::TDefineTreeWidget(QWidget* parent)
    : QTreeWidget(parent), delegate_(new TCaptionDelegate(this)) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(SingleSelection);
    setEditTriggers(SelectedClicked);
    setItemDelegate(delegate_);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(DragDrop);
    setDropIndicatorShown(false);
    setAutoScroll(false);  // the scroll timer scrolls while dragging
    setVerticalScrollMode(ScrollPerItem);

    changeTimer_.setSingleShot(true);
    changeTimer_.setInterval(kChangeDelay);
    scrollTimer_.setInterval(150);
    connect(&changeTimer_, &QTimer::timeout, this, [this] { emit nodeSelected(currentNode()); });
    connect(&scrollTimer_, &QTimer::timeout, this, &TDefineTreeWidget::scrollTick);
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { changeTimer_.start(); });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (TreeNode* node = nodeOf(item)) node->Expanded = true;
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (TreeNode* node = nodeOf(item)) node->Expanded = false;
    });
    connect(delegate_, &TCaptionDelegate::editorOpened, this, [this] {
        commitSelection();  // the rename acts on the node the tree has selected
        emit editorOpened();
    });
    connect(delegate_, &QAbstractItemDelegate::closeEditor, this, &TDefineTreeWidget::editorClosed);
    connect(delegate_, &TCaptionDelegate::captionEdited, this,
            [this](const QPersistentModelIndex& index, const QString& text) {
                if (QTreeWidgetItem* item = itemFromIndex(index))
                    emit captionEdited(nodeOf(item), text);
            });
}

void TDefineTreeWidget::setTree(TVKestrinTree* tree) {
    tree_ = tree;
    showNodes();
}

TreeNode* TDefineTreeWidget::nodeOf(const QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<TreeNode*>(item->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

TreeNode* TDefineTreeWidget::currentNode() const {
    return nodeOf(currentItem());
}

QTreeWidgetItem* TDefineTreeWidget::itemOf(const TreeNode* node) const {
    for (QTreeWidgetItemIterator it(const_cast<TDefineTreeWidget*>(this)); *it; ++it) {
        if (node && nodeOf(*it) == node) return *it;
    }
    return nullptr;
}

void TDefineTreeWidget::addNode(QTreeWidgetItem* parent, TreeNode* node) {
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, QString::fromStdString(node->Caption));
    item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (TVKestrinTree::CanEdit(node)) flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    for (const auto& child : node->Children)
        addNode(item, child.get());
    item->setExpanded(node->Expanded);
}

void TDefineTreeWidget::showNodes() {
    // The tree has listed its selected node already: no change notification for it.
    const QSignalBlocker quiet(this);
    changeTimer_.stop();
    dropHighlight_ = QPersistentModelIndex();
    clear();
    if (!tree_) return;
    for (const auto& node : tree_->Nodes())
        addNode(nullptr, node.get());
    setCurrentItem(itemOf(tree_->Selected()));
}

void TDefineTreeWidget::commitSelection() {
    if (!changeTimer_.isActive()) return;
    changeTimer_.stop();
    emit nodeSelected(currentNode());
}

void TDefineTreeWidget::editCurrentNode() {
    QTreeWidgetItem* item = currentItem();
    if (item && !editing() && TVKestrinTree::CanEdit(nodeOf(item))) editItem(item, 0);
}

void TDefineTreeWidget::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (event->button() == Qt::RightButton) {
        // A right click selects the node under the mouse before its menu opens.
        if (item) setCurrentItem(item);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        pressPosition_ = event->position().toPoint();
        pressedOnFolder_ = item && TVKestrinTree::CanEdit(nodeOf(item));
    }
    QTreeWidget::mousePressEvent(event);
}

void TDefineTreeWidget::mouseMoveEvent(QMouseEvent* event) {
    // A folder node starts its drag once the mouse has moved 5 pixels with the button held.
    const bool moved = (event->position().toPoint() - pressPosition_).manhattanLength() >= 5;
    if ((event->buttons() & Qt::LeftButton) && pressedOnFolder_ && moved && !editing()) {
        pressedOnFolder_ = false;
        startDrag(Qt::MoveAction);
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void TDefineTreeWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (menu_) menu_->exec(event->globalPos());
}

void TDefineTreeWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && !editing()) {
        emit deletePressed();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

QMimeData* TDefineTreeWidget::dragData() const {
    const TreeNode* node = tree_ ? tree_->Selected() : nullptr;
    if (!node || !TVKestrinTree::CanEdit(node)) return nullptr;
    return makeDefineDrag(*tree_, {DefineDrag::Folder, node->Data});
}

void TDefineTreeWidget::startDrag(Qt::DropActions) {
    commitSelection();  // the drag moves the folder the tree has selected
    QMimeData* data = dragData();
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    startAutoScroll();
    drag->exec(Qt::MoveAction);
    stopAutoScroll();
}

TreeNode* TDefineTreeWidget::dropTarget(const QMimeData* data, QPoint position) const {
    if (!tree_) return nullptr;
    const auto drag = readDefineDrag(data, *tree_);
    TreeNode* target = nodeOf(itemAt(position));
    if (!drag || !tree_->CanDrop(target)) return nullptr;
    if (drag->kind == DefineDrag::Folder &&
        (!TVKestrinTree::CanEdit(tree_->Selected()) || tree_->Selected()->Data != drag->index))
        return nullptr;
    return target;
}

void TDefineTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (tree_ && readDefineDrag(event->mimeData(), *tree_)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TDefineTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
    const QPoint position = event->position().toPoint();
    TreeNode* target = dropTarget(event->mimeData(), position);
    const QPersistentModelIndex highlight = target ? indexAt(position) : QModelIndex();
    if (highlight != dropHighlight_) {
        dropHighlight_ = highlight;
        viewport()->update();
    }
    if (!target) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void TDefineTreeWidget::dragLeaveEvent(QDragLeaveEvent* event) {
    dropHighlight_ = QPersistentModelIndex();
    viewport()->update();
    event->accept();
}

void TDefineTreeWidget::dropEvent(QDropEvent* event) {
    dropHighlight_ = QPersistentModelIndex();
    viewport()->update();
    const QPoint position = event->position().toPoint();
    const TreeNode* target = dropTarget(event->mimeData(), position);
    if (!target) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    // Acted on once the drag has ended, so that a message about the drop is no part of it.
    const DefineDrag drag = *readDefineDrag(event->mimeData(), *tree_);
    QTimer::singleShot(0, this, [this, drag, index = QPersistentModelIndex(indexAt(position))] {
        TreeNode* node = nodeOf(itemFromIndex(index));
        if (!node) return;
        if (drag.kind == DefineDrag::Row)
            emit rowDropped(drag.index, node);
        else
            emit folderDropped(node);
    });
}

void TDefineTreeWidget::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (index == dropHighlight_) {
        QColor highlight = palette().color(QPalette::Highlight);
        highlight.setAlpha(90);
        painter->fillRect(option.rect, highlight);
    }
    QTreeWidget::drawRow(painter, option, index);
}

void TDefineTreeWidget::scrollTick() {
    const int y = viewport()->mapFromGlobal(QCursor::pos()).y();
    if (y < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (y >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

TDefineListWidget::TDefineListWidget(QWidget* parent)
    : QTreeWidget(parent), delegate_(new TCaptionDelegate(this)) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(SelectedClicked);
    setItemDelegate(delegate_);
    setDragEnabled(true);
    setDragDropMode(DragOnly);
    setSortingEnabled(false);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    setIconSize(QSize(16, 16));

    connect(delegate_, &TCaptionDelegate::editorOpened, this, &TDefineListWidget::editorOpened);
    connect(delegate_, &QAbstractItemDelegate::closeEditor, this, &TDefineListWidget::editorClosed);
    connect(delegate_, &TCaptionDelegate::captionEdited, this,
            [this](const QPersistentModelIndex& index, const QString& text) {
                if (QTreeWidgetItem* item = itemFromIndex(index))
                    emit captionEdited(indexOfTopLevelItem(item), text);
            });
}

void TDefineListWidget::showRow(QTreeWidgetItem* item, const DefineListRow& row) const {
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                   Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
    item->setText(0, QString::fromStdString(row.caption));
    item->setText(1, QString::fromStdString(row.url));
    item->setText(2, QString::fromStdString(row.error));
    item->setData(0, Qt::UserRole, row.index);
    item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    item->setIcon(0, defineListIcon(row.icon));
}

std::optional<std::size_t> TDefineListWidget::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return std::size_t(indexOfTopLevelItem(selected.front()));
}

void TDefineListWidget::editSelectedRow() {
    if (const auto row = selectedRow(); row && !editing()) editItem(topLevelItem(int(*row)), 0);
}

void TDefineListWidget::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Delete && !editing()) {
        emit deletePressed();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

QMimeData* TDefineListWidget::dragData() const {
    const auto row = selectedRow();
    if (!row || !tree_) return nullptr;
    const int index = topLevelItem(int(*row))->data(0, Qt::UserRole).toInt();
    return makeDefineDrag(*tree_, {DefineDrag::Row, index});
}

void TDefineListWidget::startDrag(Qt::DropActions) {
    QMimeData* data = dragData();
    if (!data) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(defineListIcon(DefineIcon::Plain).pixmap(16, 16));
    emit dragStarted();
    drag->exec(Qt::MoveAction);
    emit dragFinished();
}

}  // namespace kestrin
