#pragma once
// The welcome wizard: five pages greeting the user, converting the previous version's define
// file into items of the define root, pointing to the project's pages and checking the help.
// Its decisions are in welcome/Welcome.h. Shown modally by the main window's settings load;
// the caller reads the result (Accepted when the last page was finished) and
// dontShowAgain() afterwards.

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "welcome/Welcome.h"

class QFileDialog;

namespace Ui {
class TfrmWelcome;
}

namespace kestrin {

class TfrmWelcome : public QDialog, private ConversionView {
    Q_OBJECT

  public:
    // `rootPath`: the define root the items are converted into; `rebuildTree` reads the main
    // window's define tree anew.
    TfrmWelcome(std::string rootPath, std::function<void()> rebuildTree, QWidget* parent = nullptr);
    ~TfrmWelcome() override;

    // The data file field's text; the open dialog starts in the file's folder.
    void setOldDefineFile(const std::string& path);
    bool dontShowAgain() const;

  private:
    void pageButtonClick();
    void showPage();
    void chooseOldDefineFile();
    void convert();
    void checkHelp();
    void jumpToProduct();

    void setAnimationPlaying(bool playing) override;
    void showProgress(int position, int maximum) override;
    void clearProgress() override;
    void rebuildDefineTree() override;

    std::unique_ptr<Ui::TfrmWelcome> ui_;
    WelcomeWizard wizard_;
    std::string rootPath_;
    std::function<void()> rebuildTree_;
    QFileDialog* opdSetUDI_;
};

}  // namespace kestrin
