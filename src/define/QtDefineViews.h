#pragma once
// The Qt views of the define folder tree and the define list. TDefineTreeWidget shows a
// TVKestrinTree (the main window's and the define wizard's trvDefine): its nodes, the selection
// passed on after the change delay, in-place renames of folder nodes, drags of folders and drops
// of folders and list rows with the auto-scroll timer. TDefineListWidget is the define list
// (lsvDefine): rows with check boxes and icons, in-place renames and drags of rows. Both only
// signal what the user did; their owner decides.

#include <QPersistentModelIndex>
#include <QPoint>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <optional>

#include "define/DefineList.h"
#include "define/KestrinTree.h"

class QMimeData;

namespace kestrin {

// The icons of the define list, drawn for it: a page, the page with a new mark, the page with
// an error mark.
QIcon defineListIcon(DefineIcon icon);

// What a drag of a define view carries: a list row (its FileList index) or the tree's selected
// folder. It belongs to one tree of this process; a drag from elsewhere reads as nothing.
struct DefineDrag {
    enum Kind { Row, Folder } kind = Row;
    int index = 0;
};
QMimeData* makeDefineDrag(const TVKestrinTree& tree, DefineDrag drag);
std::optional<DefineDrag> readDefineDrag(const QMimeData* data, const TVKestrinTree& tree);

// Edits captions in place and passes the new text on once the editor has closed, never writing
// the model itself: the owner decides whether the name is taken.
class TCaptionDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  signals:
    void editorOpened();
    // After the editor closed (queued), so that a message about the name finds no editor open.
    void captionEdited(const QPersistentModelIndex& index, const QString& text);
};

class TDefineTreeWidget : public QTreeWidget {
    Q_OBJECT

  public:
    // The interval of the tree's change notification (TTreeView's ChangeDelay).
    static constexpr int kChangeDelay = 50;

    explicit TDefineTreeWidget(QWidget* parent = nullptr);

    // The tree shown (not owned); showNodes() shows it.
    void setTree(TVKestrinTree* tree);
    // Shows the tree's nodes anew with its selected node selected. Call after every change of
    // the tree's nodes: the items refer to them.
    void showNodes();
    // A selection still waiting for the change delay is passed on at once.
    void commitSelection();
    TreeNode* currentNode() const;
    QTreeWidgetItem* itemOf(const TreeNode* node) const;
    // The popup menu of a right click (not owned).
    void setPopupMenu(QMenu* menu) { menu_ = menu; }
    // Starts the in-place editor of the current node; the pseudo-nodes refuse it.
    void editCurrentNode();
    bool editing() const { return state() == EditingState; }
    // What a drag of the selected folder carries; null for a pseudo-node.
    QMimeData* dragData() const;

    // While something is dragged the timer scrolls the tree one line each tick when the cursor
    // is above or below it. Drags from the tree run it; the define list runs it for its own.
    int scrollInterval() const { return scrollTimer_.interval(); }
    void setScrollInterval(int milliseconds) { scrollTimer_.setInterval(milliseconds); }
    void startAutoScroll() { scrollTimer_.start(); }
    void stopAutoScroll() { scrollTimer_.stop(); }
    bool autoScrolling() const { return scrollTimer_.isActive(); }

  signals:
    void nodeSelected(kestrin::TreeNode* node);
    void editorOpened();
    void editorClosed();
    void captionEdited(kestrin::TreeNode* node, const QString& text);
    void rowDropped(int index, kestrin::TreeNode* target);
    void folderDropped(kestrin::TreeNode* target);
    void deletePressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

  private:
    TreeNode* nodeOf(const QTreeWidgetItem* item) const;
    void addNode(QTreeWidgetItem* parent, TreeNode* node);
    // The node a drag at `position` would drop onto; null when it may not drop there.
    TreeNode* dropTarget(const QMimeData* data, QPoint position) const;
    void scrollTick();

    TVKestrinTree* tree_ = nullptr;
    QMenu* menu_ = nullptr;
    TCaptionDelegate* delegate_;
    QTimer changeTimer_;
    QTimer scrollTimer_;
    QPoint pressPosition_;
    bool pressedOnFolder_ = false;
    QPersistentModelIndex dropHighlight_;
};

class TDefineListWidget : public QTreeWidget {
    Q_OBJECT

  public:
    explicit TDefineListWidget(QWidget* parent = nullptr);

    // The tree whose FileList the rows index (not owned): their drags belong to it.
    void setTree(const TVKestrinTree* tree) { tree_ = tree; }
    void showRow(QTreeWidgetItem* item, const DefineListRow& row) const;
    // The selected row's position; nullopt without one.
    std::optional<std::size_t> selectedRow() const;
    void editSelectedRow();
    bool editing() const { return state() == EditingState; }
    // What a drag of the selected row carries; null without one.
    QMimeData* dragData() const;

  signals:
    void editorOpened();
    void editorClosed();
    void captionEdited(int row, const QString& text);
    void dragStarted();
    void dragFinished();
    void deletePressed();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

  private:
    const TVKestrinTree* tree_ = nullptr;
    TCaptionDelegate* delegate_;
};

}  // namespace kestrin
