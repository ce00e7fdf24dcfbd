#pragma once
// The desktop program's help: shows help pages in the help window (TfrmHelp) and turns F1 on a
// control into a help request. Created once by the program start; while it exists, every
// showHelpTopic() / showHelpContext() of help/Help.h opens the help window.
//
// F1 looks from the focused control up through its parents for the dynamic property
// "helpContext" (a control's context number, shown with showHelpContext) or "helpTopic" (a
// page's topic number, shown with showHelpTopic); the first one found is shown.

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <filesystem>

#include "help/Help.h"
#include "help/frmHelp.h"

namespace kestrin {

// The address of a page in the help collection.
QUrl helpPageUrl(const HelpPage& page);

class QtHelpViewer : public QObject, public HelpViewer {
    Q_OBJECT

  public:
    QtHelpViewer();
    ~QtHelpViewer() override;

    void showHelpPage(const std::filesystem::path& collection, const HelpPage& page) override;
    // The help window while it is open.
    TfrmHelp* window() const { return window_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TfrmHelp* windowFor(const std::filesystem::path& collection);

    QPointer<TfrmHelp> window_;
    std::filesystem::path collection_;
};

// The user's own copy of a help collection in the cache folder, made anew when the collection
// changed; the help engine writes its search index beside it, which an installed data folder
// would not allow. Empty when it cannot be made.
std::filesystem::path userHelpCollection(const std::filesystem::path& collection);

}  // namespace kestrin
