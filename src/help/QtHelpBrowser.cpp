#include "help/QtHelpBrowser.h"

#include <QHelpEngineCore>

#include "platform/Shell.h"

namespace kestrin {

THelpBrowser::THelpBrowser(QWidget* parent) : QTextBrowser(parent) {}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    if (engine_ && name.scheme() == QLatin1String("qthelp")) return engine_->fileData(name);
    return QTextBrowser::loadResource(type, name);
}

void THelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    // A page of the project's site or a mail address opens outside the help.
    if (name.scheme() == QLatin1String("http") || name.scheme() == QLatin1String("https") ||
        name.scheme() == QLatin1String("mailto")) {
        openAddress(name.toString().toStdString());
        return;
    }
    QTextBrowser::doSetSource(name, type);
}

}  // namespace kestrin
