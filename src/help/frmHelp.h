#pragma once
// The help window: the help collection's contents, index and full-text search beside the page
// view. One window at a time, shown and raised by the help viewer (QtHelpViewer.h).

#include <QUrl>
#include <QWidget>
#include <memory>

class QHelpEngine;

namespace Ui {
class TfrmHelp;
}

namespace kestrin {

class TfrmHelp : public QWidget {
    Q_OBJECT

  public:
    // Opens the collection `collectionFile`, which must be writable (the search index is kept
    // beside it).
    explicit TfrmHelp(const QString& collectionFile, QWidget* parent = nullptr);
    ~TfrmHelp() override;

    void showPage(const QUrl& url);
    QUrl currentPage() const;
    QHelpEngine* helpEngine() const { return engine_; }

  private:
    void selectInContents(const QUrl& url);
    void search();

    std::unique_ptr<Ui::TfrmHelp> ui_;
    QHelpEngine* engine_;
    QUrl home_;
};

}  // namespace kestrin
