#include "app/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

#include "platform/Paths.h"
#include "platform/QtLook.h"
#include "platform/Sound.h"
#include "ui_frmMain.h"

namespace kestrin {

namespace {

QPushButton* buttonOf(Ui::TfrmMain& ui, WizardButton button) {
    switch (button) {
        case WizardButton::Back:
            return ui.btnBack;
        case WizardButton::Next:
            return ui.btnNext;
        case WizardButton::Cancel:
            return ui.btnCancel;
        case WizardButton::None:
            break;
    }
    return nullptr;
}

void setBold(QLabel* label, bool bold) {
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmMain>()) {
    ui->setupUi(this);
    applyWindowLook(this);
    // A fixed single border with the system menu and the minimise box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    for (QLabel* box : {ui->PaintBox1, ui->PaintBox2})
        box->setPixmap(applicationIcon().pixmap(32, 32));

    connect(ui->btnNext, &QPushButton::clicked, this, [this] {
        storeSetupTabs(settings_);
        wizard_.next(settings_, ui->TabSheet6->authors());
    });
    connect(ui->btnBack, &QPushButton::clicked, this, [this] { wizard_.back(); });
    connect(ui->btnCancel, &QPushButton::clicked, this, [this] { wizard_.cancel(); });
    connect(ui->DefineTab, &TfrmMainDefineTab::dialogKeysHeldChanged, this,
            &TfrmMain::defineKeysHeld);
    qApp->installEventFilter(this);

    tmrNTPMessage_.setSingleShot(true);
    tmrNTPMessage_.setInterval(5000);
    connect(&tmrNTPMessage_, &QTimer::timeout, this, [this] { setNtpStatus(""); });
    connect(ui->TabSheet10, &TfrmMainClockTab::ntpStatusChanged, this, &TfrmMain::showNtpStatus);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;  // restored from the task bar, not shown anew
    settings_ = loadSettings();
    loadSetupTabs(settings_);
    RegisterSelf();
    ui->TabSheet6->FillAuthorList();
    wizard_.shown();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    storeSetupTabs(settings_);
    saveSettings(settings_);
    QDialog::closeEvent(event);
}

void TfrmMain::loadSetupTabs(const Settings& settings) {
    ui->TabSheet6->load(settings);
    ui->DefineTab->loadFrom(settings);
    ui->TabSheet7->load(settings);
    ui->TabSheet9->load(settings);
    ui->TabSheet10->load(settings);
}

void TfrmMain::storeSetupTabs(Settings& settings) const {
    ui->TabSheet6->store(settings);
    ui->DefineTab->storeTo(settings);
    ui->TabSheet7->store(settings);
    ui->TabSheet9->store(settings);
    ui->TabSheet10->store(settings);
}

void TfrmMain::showState(const WizardState& state) {
    ui->PageControl1->setCurrentIndex(static_cast<int>(state.page));  // the form's page order
    ui->btnBack->setEnabled(state.backEnabled);
    ui->btnNext->setEnabled(state.nextEnabled);
    ui->btnNext->setDefault(state.defaultButton == WizardButton::Next);
    ui->btnCancel->setDefault(state.defaultButton == WizardButton::Cancel);
    ui->btnCancel->setText(QString::fromStdString(state.cancelCaption));
    if (QPushButton* focus = buttonOf(*ui, state.focus)) focus->setFocus();
}

void TfrmMain::showAuthorChecks(const std::vector<AuthorRow>& authors) {
    ui->TabSheet6->showAuthors(authors);
}

std::vector<DefineRow> TfrmMain::listSelectedDefineRows() {
    return ui->DefineTab->listSelectedDefineRows();
}

void TfrmMain::showResults(const ResultsPage& page, const CheckResults&) {
    ui->Label7->setText(QString::fromStdString(page.summary));
    if (page.playSound) playSound(findDataFile(kFoundSound));
}

void TfrmMain::resetPages() {
    ui->prbGetInfo->setValue(0);
    setBold(ui->lblStatusCompare, false);
    ui->DefineTab->rebuildTree();
}

void TfrmMain::closeWindow() {
    close();
}

void TfrmMain::authorProgressChanged(const AuthorProgressState& state) {
    ui->Label6->setText(QString::fromStdString(state.authorMessage));
    if (!state.connectingText.empty())
        ui->lblStatusConnecting->setText(QString::fromStdString(state.connectingText));
    QLabel* const steps[] = {ui->lblStatusConnecting, ui->lblStatusDownload, ui->lblStatusCompare};
    for (int step = 0; step < 3; ++step)
        setBold(steps[step], step == state.boldStep);
    ui->prbGetInfo->setMaximum(state.maximum);
    ui->prbGetInfo->setValue(state.position);
}

void TfrmMain::defineProgressChanged(const DefineProgressState& state) {
    ui->lblDefineDo->setText(QString::fromStdString(state.itemMessage));
    ui->lblWork->setText(QString::fromStdString(state.workText));
    ui->prbAnalysis->setMaximum(state.analysisMaximum);
    ui->prbAnalysis->setValue(state.analysisPosition);
    ui->prbDefine->setMaximum(state.maximum);
    ui->prbDefine->setValue(state.position);
}

void TfrmMain::synchronize() {
    ui->TabSheet10->synchronize();
}

void TfrmMain::setNtpStatus(const std::string& text) {
    ui->lblNTPStatus->setText(QString::fromStdString(text));
}

void TfrmMain::showNtpStatus(const QString& text, bool clearLater) {
    tmrNTPMessage_.stop();
    ui->lblNTPStatus->setText(text);
    ui->lblNTPStatus->repaint();
    if (clearLater) tmrNTPMessage_.start();
}

void TfrmMain::defineKeysHeld(bool held) {
    ui->btnNext->setDefault(!held && wizard_.state().defaultButton == WizardButton::Next);
}

void TfrmMain::keyPressEvent(QKeyEvent* event) {
    // Esc presses the cancel button on every page, but not while the define tab holds it for
    // an in-place editor. It arrives here only when the focused control did not want it.
    if (event->key() == Qt::Key_Escape) {
        if (!ui->DefineTab->dialogKeysHeld()) ui->btnCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);  // Enter presses the default button
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    // The sub-page keys act when released; their press is taken too, so that a page control
    // with the focus does not step as well.
    if (event->type() == QEvent::KeyPress) return isSubPageKey(key);
    return FormKeyUp(key);
}

bool TfrmMain::isSubPageKey(const QKeyEvent& key) {
    return (key.modifiers() & Qt::ControlModifier) &&
           (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab);
}

bool TfrmMain::FormKeyUp(const QKeyEvent& key) {
    if (!isSubPageKey(key)) return false;
    if (ui->PageControl1->currentWidget() == ui->TabSheet1) {
        const bool backwards =
            key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
        const int count = ui->PageControl3->count();
        const int step = backwards ? count - 1 : 1;
        ui->PageControl3->setCurrentIndex((ui->PageControl3->currentIndex() + step) % count);
    }
    return true;
}

}  // namespace kestrin
