#pragma once
// The main window: a four-page wizard (setting up, author check progress, define check
// progress, results) over a row of Help / Back / Next / Cancel buttons. The pages are built by
// one function each; the check flow and the pages' lists and options are added to them.

#include <QDialog>
#include <QIcon>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTabWidget;

namespace kestrin {

class TfrmMain : public QDialog {
    Q_OBJECT

  public:
    explicit TfrmMain(QWidget* parent = nullptr);

    // The program's icon, drawn rather than loaded so that it needs no file.
    static QIcon applicationIcon();

  protected:
    // Key preview: the form sees keys before its controls.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* buildSetupPage();
    QWidget* buildAuthorProgressPage();
    QWidget* buildDefineProgressPage();
    QWidget* buildResultsPage();
    QLayout* buildButtonRow();

    void btnCancelClick();
    // Ctrl+Tab / Ctrl+Shift+Tab between sub-pages; true when the key was one of them.
    bool FormKeyUp(const QKeyEvent& key);
    static bool isSubPageKey(const QKeyEvent& key);

    // The stop flag: true whenever no check is running.
    bool Cancelled = true;

    QStackedWidget* PageControl1 = nullptr;

    // Setting up.
    QWidget* TabSheet1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* PaintBox1 = nullptr;
    QTabWidget* PageControl3 = nullptr;
    QWidget* TabSheet6 = nullptr;   // author list
    QWidget* TabSheet8 = nullptr;   // define tree and list
    QWidget* TabSheet7 = nullptr;   // options
    QWidget* TabSheet9 = nullptr;   // proxy
    QWidget* TabSheet10 = nullptr;  // clock synchronisation

    // Author check progress.
    QWidget* TabSheet2 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label6 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QWidget* pnbCore = nullptr;
    QLabel* lblStatusConnecting = nullptr;
    QLabel* lblStatusDownload = nullptr;
    QLabel* lblStatusCompare = nullptr;
    QLabel* Label3 = nullptr;
    QProgressBar* prbGetInfo = nullptr;

    // Define check progress.
    QWidget* tbsDefine = nullptr;
    QLabel* Label25 = nullptr;
    QLabel* lblDefineDo = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* lblWorkTitle = nullptr;
    QLabel* lblWork = nullptr;
    QProgressBar* prbAnalysis = nullptr;
    QLabel* Label20 = nullptr;
    QProgressBar* prbDefine = nullptr;

    // Results.
    QWidget* TabSheet3 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* PaintBox2 = nullptr;

    // Bottom row.
    QPushButton* btnHelp = nullptr;
    QPushButton* btnBack = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnCancel = nullptr;
    QLabel* lblNTPStatus = nullptr;
};

}  // namespace kestrin
