#include "app/frmMain.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kestrin {

namespace {

// Creates a widget carrying its control name, by which the rest of the program and the tests
// find it.
template <typename Widget, typename... Args>
Widget* named(const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(const char* name, const char* text = "") {
    auto* label = named<QLabel>(name, QString::fromUtf8(text));
    label->setWordWrap(true);
    return label;
}

QLabel* heading(const char* name, const char* text) {
    QLabel* heading = label(name, text);
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    return heading;
}

QLabel* iconBox(const char* name) {
    auto* box = named<QLabel>(name);
    box->setFixedSize(32, 32);
    box->setPixmap(TfrmMain::applicationIcon().pixmap(32, 32));
    return box;
}

// The vertical layout of a wizard page: its content runs to the page's edges.
QVBoxLayout* pageLayout(QWidget* page) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

// Both progress pages: the heading, the current item, the work group, and at the bottom the
// progress of the whole phase under its caption.
void layOutProgressPage(QWidget* page, QLabel* heading, QLabel* current, QGroupBox* work,
                        QLabel* overallCaption, QProgressBar* overall) {
    auto* layout = pageLayout(page);
    layout->addWidget(heading);
    layout->addWidget(current);
    layout->addWidget(work);
    layout->addStretch(1);
    layout->addWidget(overallCaption);
    layout->addWidget(overall);
}

QProgressBar* progressBar(const char* name) {
    auto* bar = named<QProgressBar>(name);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// The window's font: a Japanese UI font in the place of "MS UI Gothic", 12 pixels high.
QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL Gothic"),
                      QStringLiteral("TakaoGothic")});
    font.setPixelSize(12);
    return font;
}

// A globe with an upward arrow: software from the Internet, updated.
QPixmap drawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    QRadialGradient sea(QPointF(11, 10), 20);
    sea.setColorAt(0, QColor(130, 200, 255));
    sea.setColorAt(1, QColor(20, 80, 170));
    painter.setPen(QPen(QColor(10, 50, 120), 1));
    painter.setBrush(sea);
    painter.drawEllipse(QRectF(2.5, 2.5, 27, 27));

    painter.setPen(QPen(QColor(255, 255, 255, 120), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QRectF(10, 2.5, 12, 27));
    painter.drawLine(QPointF(2.5, 16), QPointF(29.5, 16));

    const QPolygonF arrow{{16, 5}, {25.5, 15}, {20, 15}, {20, 26}, {12, 26}, {12, 15}, {6.5, 15}};
    painter.setPen(QPen(QColor(150, 60, 0), 1));
    painter.setBrush(QColor(255, 165, 40));
    painter.drawPolygon(arrow);
    return pixmap;
}

}  // namespace

QIcon TfrmMain::applicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(drawIcon(size));
    return icon;
}

TfrmMain::TfrmMain(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(
        QStringLiteral("Kestrin 2001 - オンラインソフトアップデートチェックユーティリティ"));
    setWindowIcon(applicationIcon());
    // A fixed single border with the system menu and the minimise box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());

    PageControl1 = named<QStackedWidget>("PageControl1");  // no tabs: only the program switches
    PageControl1->addWidget(buildSetupPage());
    PageControl1->addWidget(buildAuthorProgressPage());
    PageControl1->addWidget(buildDefineProgressPage());
    PageControl1->addWidget(buildResultsPage());
    PageControl1->setCurrentWidget(TabSheet1);

    auto* bevel = named<QFrame>("Bevel1");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(bevel);
    layout->addLayout(buildButtonRow());

    setFixedSize(545, 369);
    qApp->installEventFilter(this);
}

QWidget* TfrmMain::buildSetupPage() {
    TabSheet1 = named<QWidget>("TabSheet1");
    Label5 = heading("Label5", "検索条件を設定してください (Page 1 of 4)");
    Label1 =
        label("Label1",
              "アップデートをチェックするには，インターネットに接続した状態にする必要があります。"
              "まず，インターネットに接続して下さい。接続と設定が完了しましたら，[次へ] "
              "を押して下さい。");
    PaintBox1 = iconBox("PaintBox1");

    PageControl3 = named<QTabWidget>("PageControl3");
    // Narrow tabs, so that all five captions fit the fixed width side by side.
    PageControl3->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 6px; }"));
    auto addTab = [this](const char* name, const char* caption) {
        auto* tab = named<QWidget>(name);
        PageControl3->addTab(tab, QString::fromUtf8(caption));
        return tab;
    };
    TabSheet6 = addTab("TabSheet6", "対応作者リスト");
    TabSheet8 = addTab("TabSheet8", "ユーザ定義リスト");
    TabSheet7 = addTab("TabSheet7", "Kestrinの設定");
    TabSheet9 = addTab("TabSheet9", "プロキシ設定");
    TabSheet10 = addTab("TabSheet10", "NTP 同期の設定");

    auto* intro = new QHBoxLayout;
    intro->addWidget(PaintBox1, 0, Qt::AlignTop);
    intro->addWidget(Label1, 1);

    auto* layout = pageLayout(TabSheet1);
    layout->addWidget(Label5);
    layout->addLayout(intro);
    layout->addWidget(PageControl3, 1);
    return TabSheet1;
}

QWidget* TfrmMain::buildAuthorProgressPage() {
    TabSheet2 = named<QWidget>("TabSheet2");
    Label9 = heading("Label9", "対応ソフトの情報ファイルの取得 (Page 2 of 4)");
    Label6 = label("Label6");
    Label6->setMinimumHeight(30);

    // Fixed places: the step marker is painted on pnbCore beside the label of the current step
    // (a label's top minus 19), so the labels stand 40 pixels apart beside it.
    GroupBox1 = named<QGroupBox>("GroupBox1", QStringLiteral("処理内容"));
    GroupBox1->setFixedHeight(165);
    pnbCore = named<QWidget>("pnbCore", GroupBox1);
    pnbCore->setGeometry(16, 16, 16, 145);
    lblStatusConnecting = label("lblStatusConnecting", "ホスト情報を読み込んでいます...");
    lblStatusDownload =
        label("lblStatusDownload", "アップデート情報ファイルをダウンロード中です...");
    lblStatusCompare =
        label("lblStatusCompare",
              "既にセットアップされているソフトウエアとバージョンを比較しています...");
    int top = 32;
    for (QLabel* step : {lblStatusConnecting, lblStatusDownload, lblStatusCompare}) {
        step->setParent(GroupBox1);
        step->setGeometry(40, top, 470, 16);
        top += 40;
    }

    Label3 = label("Label3", "対応ソフト全体の進行状況:");
    prbGetInfo = progressBar("prbGetInfo");

    layOutProgressPage(TabSheet2, Label9, Label6, GroupBox1, Label3, prbGetInfo);
    return TabSheet2;
}

QWidget* TfrmMain::buildDefineProgressPage() {
    tbsDefine = named<QWidget>("tbsDefine");
    Label25 = heading("Label25", "ユーザ定義の更新情報の取得 (Page 3 of 4)");
    lblDefineDo = label("lblDefineDo");
    lblDefineDo->setMinimumHeight(30);

    GroupBox2 = named<QGroupBox>("GroupBox2", QStringLiteral("処理内容"));
    lblWorkTitle = label("lblWorkTitle", "ドキュメントの取得と解析");
    lblWork = label("lblWork", "待機しています...");
    prbAnalysis = progressBar("prbAnalysis");
    auto* work = new QVBoxLayout(GroupBox2);
    work->addWidget(lblWorkTitle);
    work->addWidget(lblWork);
    work->addWidget(prbAnalysis);

    Label20 = label("Label20", "ユーザ定義全体の進行状況:");
    prbDefine = progressBar("prbDefine");

    layOutProgressPage(tbsDefine, Label25, lblDefineDo, GroupBox2, Label20, prbDefine);
    return tbsDefine;
}

QWidget* TfrmMain::buildResultsPage() {
    TabSheet3 = named<QWidget>("TabSheet3");
    Label8 = heading("Label8", "更新ソフト情報 (Page 4 of 4)");
    Label7 = label("Label7");
    PaintBox2 = iconBox("PaintBox2");

    auto* summary = new QHBoxLayout;
    summary->addWidget(PaintBox2, 0, Qt::AlignTop);
    summary->addWidget(Label7, 1);

    // The update list and the author notices go below the summary.
    auto* layout = pageLayout(TabSheet3);
    layout->addWidget(Label8);
    layout->addLayout(summary);
    layout->addStretch(1);
    return TabSheet3;
}

QLayout* TfrmMain::buildButtonRow() {
    btnHelp = named<QPushButton>("btnHelp", QStringLiteral("ヘルプ(&H)"));
    btnBack = named<QPushButton>("btnBack", QStringLiteral("< 戻る(&B)"));
    btnBack->setEnabled(false);
    btnNext = named<QPushButton>("btnNext", QStringLiteral("次へ(&N) >"));
    btnNext->setDefault(true);
    btnCancel = named<QPushButton>("btnCancel", QStringLiteral("キャンセル"));
    lblNTPStatus = label("lblNTPStatus");
    lblNTPStatus->setWordWrap(false);

    connect(btnCancel, &QPushButton::clicked, this, &TfrmMain::btnCancelClick);

    auto* row = new QHBoxLayout;
    row->addWidget(btnHelp);
    row->addWidget(lblNTPStatus, 1);
    row->addWidget(btnBack);
    row->addWidget(btnNext);
    row->addSpacing(8);
    row->addWidget(btnCancel);
    return row;
}

void TfrmMain::btnCancelClick() {
    // While a check runs, Cancel asks it to stop; otherwise it ends the program.
    if (Cancelled) close();
}

void TfrmMain::keyPressEvent(QKeyEvent* event) {
    // Esc presses the cancel button on every page. It arrives here only when the focused control
    // did not want it (an in-place editor keeps its Esc).
    if (event->key() == Qt::Key_Escape) {
        btnCancel->click();
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
    if (PageControl1->currentWidget() == TabSheet1) {
        const bool backwards =
            key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier);
        const int count = PageControl3->count();
        const int step = backwards ? count - 1 : 1;
        PageControl3->setCurrentIndex((PageControl3->currentIndex() + step) % count);
    }
    return true;
}

}  // namespace kestrin
