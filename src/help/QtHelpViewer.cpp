#include "help/QtHelpViewer.h"

#include <QApplication>
#include <QHelpEngineCore>
#include <QKeyEvent>
#include <QWidget>

#include "help/frmHelp.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace kestrin {

namespace {

constexpr const char* kHelpNamespace = "org.example.kestrin";

// The copy is current when it is not older than the collection it was made from.
bool isCurrentCopy(const fs::path& copy, const fs::path& collection) {
    std::error_code error;
    auto copied = fs::last_write_time(copy, error);
    if (error) return false;
    auto made = fs::last_write_time(collection, error);
    return !error && copied >= made;
}

// The number F1 shows for `widget`: its own or its nearest parent's.
bool showHelpFor(QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        if (int context = widget->property("helpContext").toInt(); context > 0)
            return showHelpContext(context);
        if (int topic = widget->property("helpTopic").toInt(); topic > 0)
            return showHelpTopic(topic);
    }
    return false;
}

}  // namespace

QUrl helpPageUrl(const HelpPage& page) {
    QUrl url(QStringLiteral("qthelp://%1/doc/%2")
                 .arg(QLatin1String(kHelpNamespace), QString::fromStdString(page.file)));
    if (!page.anchor.empty()) url.setFragment(QString::fromStdString(page.anchor));
    return url;
}

fs::path userHelpCollection(const fs::path& collection) {
    const fs::path folder = cacheFolder() / "help";
    const fs::path copy = folder / collection.filename();
    if (isCurrentCopy(copy, collection)) return copy;
    // The collection names its documentation files relative to itself: they are copied with it.
    // (QHelpEngineCore::copyCollectionFile leaves out what the Qt 6 engine needs to find the
    // pages.)
    QStringList documentation;
    {
        QHelpEngineCore source(QString::fromStdString(collection.string()));
        source.setReadOnly(true);
        if (!source.setupData()) return {};
        for (const QString& name : source.registeredDocumentations())
            documentation << source.documentationFileName(name);
    }
    std::error_code error;
    fs::remove_all(folder, error);  // the old copy with its stale search index
    fs::create_directories(folder, error);
    for (const QString& file : documentation) {
        fs::path from = file.toStdString();
        fs::copy_file(from, folder / from.filename(), error);
        if (error) return {};
    }
    fs::copy_file(collection, copy, error);
    return error ? fs::path() : copy;
}

QtHelpViewer::QtHelpViewer() {
    installHelpViewer(this);
    qApp->installEventFilter(this);
}

QtHelpViewer::~QtHelpViewer() {
    qApp->removeEventFilter(this);
    installHelpViewer(nullptr);
    delete window_;
}

void QtHelpViewer::showHelpPage(const fs::path& collection, const HelpPage& page) {
    TfrmHelp* window = windowFor(collection);
    if (!window) return;
    window->showPage(helpPageUrl(page));
    window->show();
    window->raise();
    window->activateWindow();
}

TfrmHelp* QtHelpViewer::windowFor(const fs::path& collection) {
    if (window_ && collection_ != collection) delete window_;
    if (!window_) {
        fs::path copy = userHelpCollection(collection);
        if (copy.empty()) return nullptr;
        window_ = new TfrmHelp(QString::fromStdString(copy.string()));
        window_->setAttribute(Qt::WA_DeleteOnClose);
        collection_ = collection;
    }
    // A modal window (the welcome or define wizard) blocks every window but its own: the help
    // window becomes one of its own while it is open.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window_ && window_->parentWidget() != modal)
        window_->setParent(modal, Qt::Window);
    return window_;
}

bool QtHelpViewer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The key goes to the focused control first, then to its parents while unhandled.
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier &&
            watched->isWidgetType())
            return showHelpFor(static_cast<QWidget*>(watched));
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kestrin
