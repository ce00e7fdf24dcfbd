#pragma once
// The help window's page view: a text browser that reads the pages of the help collection
// ("qthelp:" addresses) from the help engine and hands other addresses to the desktop.

#include <QTextBrowser>

class QHelpEngineCore;

namespace kestrin {

class THelpBrowser : public QTextBrowser {
    Q_OBJECT

  public:
    explicit THelpBrowser(QWidget* parent = nullptr);
    void setHelpEngine(QHelpEngineCore* engine) { engine_ = engine; }
    QVariant loadResource(int type, const QUrl& name) override;
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

  private:
    QHelpEngineCore* engine_ = nullptr;
};

}  // namespace kestrin
