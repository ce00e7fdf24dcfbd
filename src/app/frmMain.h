#pragma once
// The main window: a four-page wizard (setting up, author check progress, define check
// progress, results) over a row of Help / Back / Next / Cancel buttons, laid out in
// frmMain.ui. MainWizard decides the pages and the run; the window shows what it hands over.

#include <QDialog>
#include <QTimer>
#include <memory>

#include "app/MainWizard.h"
#include "help/QtHelpViewer.h"

class QKeyEvent;
class QLabel;

namespace Ui {
class TfrmMain;
}

namespace kestrin {

class TfrmMain : public QDialog, private MainWizardView {
    Q_OBJECT

  public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Key preview: the form sees keys before its controls.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // MainWizardView.
    void showState(const WizardState& state) override;
    void showAuthorChecks(const std::vector<AuthorRow>& authors) override;
    std::vector<DefineRow> listSelectedDefineRows() override;
    void showResults(const ResultsPage& page, const CheckResults& results) override;
    void resetPages() override;
    void closeWindow() override;
    void authorProgressChanged(const AuthorProgressState& state) override;
    void defineProgressChanged(const DefineProgressState& state) override;
    void synchronize() override;

    // Ctrl+Tab / Ctrl+Shift+Tab between sub-pages; true when the key was one of them.
    bool FormKeyUp(const QKeyEvent& key);
    static bool isSubPageKey(const QKeyEvent& key);
    void setNtpStatus(const std::string& text);
    void showNtpStatus(const QString& text, bool clearLater);

    // The setting-up tabs over the window's settings.
    void loadSetupTabs(const Settings& settings);
    void storeSetupTabs(Settings& settings) const;

    // The define tab holds Enter and Esc while one of its in-place editors is open.
    void defineKeysHeld(bool held);

    // The help viewer of the whole program (help windows, F1), as long as the main window lives.
    QtHelpViewer hhHelp;
    std::unique_ptr<Ui::TfrmMain> ui;
    MainWizard wizard_{*this};
    Settings settings_;     // loaded when the window is shown, saved when it closes
    QTimer tmrNTPMessage_;  // clears the status line a while after a synchronisation
};

}  // namespace kestrin
