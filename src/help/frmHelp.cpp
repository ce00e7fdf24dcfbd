#include "help/frmHelp.h"

#include <QHelpContentModel>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHelpSearchEngine>
#include <QHelpSearchQueryWidget>
#include <QHelpSearchResultWidget>

#include "help/QtHelpViewer.h"
#include "platform/QtLook.h"
#include "ui_frmHelp.h"

namespace kestrin {

TfrmHelp::TfrmHelp(const QString& collectionFile, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ui_(std::make_unique<Ui::TfrmHelp>()),
      engine_(new QHelpEngine(collectionFile, this)),
      home_(helpPageUrl(HelpPage{"index.html", ""})) {
    ui_->setupUi(this);
    applyWindowLook(this);
    engine_->setupData();
    ui_->brwTopic->setHelpEngine(engine_);
    ui_->layContents->addWidget(engine_->contentWidget());
    ui_->layIndex->addWidget(engine_->indexWidget());
    ui_->laySearch->addWidget(engine_->searchEngine()->queryWidget());
    ui_->laySearch->addWidget(engine_->searchEngine()->resultWidget(), 1);
    ui_->splHelp->setSizes({220, 540});

    connect(engine_->contentWidget(), &QHelpContentWidget::linkActivated, this,
            &TfrmHelp::showPage);
    connect(engine_->indexWidget(), &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& document) { showPage(document.url); });
    connect(engine_->indexWidget(), &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& documents) {
                if (!documents.isEmpty()) showPage(documents.first().url);
            });
    connect(ui_->edtIndex, &QLineEdit::textChanged, engine_->indexWidget(),
            [this](const QString& text) { engine_->indexWidget()->filterIndices(text); });
    connect(ui_->edtIndex, &QLineEdit::returnPressed, engine_->indexWidget(),
            &QHelpIndexWidget::activateCurrentItem);
    connect(engine_->searchEngine()->queryWidget(), &QHelpSearchQueryWidget::search, this,
            &TfrmHelp::search);
    connect(engine_->searchEngine()->resultWidget(), &QHelpSearchResultWidget::requestShowLink,
            this, &TfrmHelp::showPage);

    connect(ui_->btnHome, &QPushButton::clicked, this, [this] { showPage(home_); });
    connect(ui_->btnBack, &QPushButton::clicked, ui_->brwTopic, &QTextBrowser::backward);
    connect(ui_->btnForward, &QPushButton::clicked, ui_->brwTopic, &QTextBrowser::forward);
    connect(ui_->brwTopic, &QTextBrowser::backwardAvailable, ui_->btnBack,
            &QPushButton::setEnabled);
    connect(ui_->brwTopic, &QTextBrowser::forwardAvailable, ui_->btnForward,
            &QPushButton::setEnabled);
    // The contents follow the page shown; they are read in Qt's own thread.
    connect(ui_->brwTopic, &QTextBrowser::sourceChanged, this, &TfrmHelp::selectInContents);
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, this, [this] {
        engine_->contentWidget()->expandToDepth(0);
        selectInContents(currentPage());
    });

    // The full-text index is made once per copy of the collection (in Qt's own thread).
    engine_->searchEngine()->scheduleIndexDocumentation();
}

TfrmHelp::~TfrmHelp() = default;

void TfrmHelp::showPage(const QUrl& url) {
    ui_->brwTopic->setSource(url);
}

QUrl TfrmHelp::currentPage() const {
    return ui_->brwTopic->source();
}

void TfrmHelp::selectInContents(const QUrl& url) {
    QHelpContentWidget* contents = engine_->contentWidget();
    QModelIndex entry = contents->indexOf(url.adjusted(QUrl::RemoveFragment));
    if (entry.isValid()) contents->setCurrentIndex(entry);
}

void TfrmHelp::search() {
    QHelpSearchEngine* searchEngine = engine_->searchEngine();
    searchEngine->search(searchEngine->queryWidget()->searchInput());
}

}  // namespace kestrin
