#include "HelpViewer.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace platform {

HelpViewer::HelpViewer(QWidget *parent)
    : QWidget(parent, Qt::Window), splitter_(new QSplitter(this)), indexPane_(new QWidget),
      search_(new QLineEdit), index_(new QListWidget), text_(new QTextBrowser) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);

    auto *contents = new QPushButton(QStringLiteral("&Contents"));
    auto *search = new QPushButton(QStringLiteral("&Search"));
    auto *backButton = new QPushButton(QStringLiteral("&Back"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(search);
    buttons->addWidget(backButton);
    buttons->addStretch();

    search_->setObjectName(QStringLiteral("HelpSearch"));
    index_->setObjectName(QStringLiteral("HelpIndex"));
    text_->setObjectName(QStringLiteral("HelpText"));
    text_->setOpenLinks(false);
    auto *indexLayout = new QVBoxLayout(indexPane_);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(QStringLiteral("&Type the first few letters of the word you're "
                                            "looking for:"));
    label->setWordWrap(true);
    label->setBuddy(search_);
    indexLayout->addWidget(label);
    indexLayout->addWidget(search_);
    indexLayout->addWidget(index_, 1);
    auto *show = new QPushButton(QStringLiteral("&Display"));
    indexLayout->addWidget(show);

    splitter_->addWidget(indexPane_);
    splitter_->addWidget(text_);
    splitter_->setStretchFactor(1, 1);
    indexPane_->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter_, 1);

    connect(contents, &QPushButton::clicked, this, [this] {
        if (file_)
            showTopic(file_->contentsContext());
    });
    connect(search, &QPushButton::clicked, this, [this] { showIndex(search_->text()); });
    connect(backButton, &QPushButton::clicked, this, [this] { back(); });
    connect(search_, &QLineEdit::textChanged, this, [this](const QString &t) { filterIndex(t); });
    connect(search_, &QLineEdit::returnPressed, this, [this] { openIndexEntry(); });
    connect(index_, &QListWidget::itemActivated, this, [this] { openIndexEntry(); });
    connect(show, &QPushButton::clicked, this, [this] { openIndexEntry(); });
    connect(text_, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.scheme() == u"topic")
            showTopic(url.path().toInt());
    });
}

bool HelpViewer::handle(const HelpRequest &request, const QString &path) {
    if (!file_ || path != path_) {
        help::ParseError error;
        auto loaded = help::HelpFile::load(path, &error);
        if (!loaded) {
            ShowUnexpectedError(QStringLiteral("Cannot open the help file %1").arg(path));
            return false;
        }
        file_ = std::move(loaded);
        path_ = path;
        history_.clear();
        current_ = -1;
        setWindowTitle(file_->title().isEmpty() ? QStringLiteral("Help") : file_->title());
    }
    switch (request.command) {
    case HelpRequest::Command::Contents:
        showTopic(file_->contentsContext());
        break;
    case HelpRequest::Command::PartialKey:
        if (current_ < 0)
            showTopic(file_->contentsContext());
        showIndex(request.key);
        break;
    case HelpRequest::Command::HelpOnHelp:
        showTopic(file_->helpOnHelpContext());
        break;
    case HelpRequest::Command::Context:
        showTopic(file_->topic(request.context) ? request.context : file_->contentsContext());
        break;
    }
    return true;
}

QString HelpViewer::currentTitle() const {
    const help::Topic *t = file_ ? file_->topic(current_) : nullptr;
    return t ? t->title : QString();
}

QStringList HelpViewer::indexEntries() const {
    QStringList entries;
    for (int i = 0; i < index_->count(); ++i)
        entries << index_->item(i)->text();
    return entries;
}

void HelpViewer::showTopic(int context, bool remember) {
    const help::Topic *t = file_ ? file_->topic(context) : nullptr;
    if (!t)
        return;
    if (remember && current_ >= 0 && current_ != context)
        history_.push_back(current_);
    current_ = context;
    text_->setHtml(QStringLiteral("<h2>%1</h2>").arg(t->title.toHtmlEscaped()) +
                   help::BodyToHtml(t->body));
}

void HelpViewer::showIndex(const QString &key) {
    indexPane_->show();
    search_->setText(key);
    filterIndex(key);
    search_->setFocus();
}

void HelpViewer::filterIndex(const QString &prefix) {
    index_->clear();
    if (!file_)
        return;
    index_->addItems(file_->keywordsStartingWith(prefix));
    if (index_->count() > 0)
        index_->setCurrentRow(0);
}

void HelpViewer::openIndexEntry() {
    const QListWidgetItem *item = index_->currentItem();
    if (!item || !file_)
        return;
    const std::vector<int> contexts = file_->topicsForKeyword(item->text());
    if (!contexts.empty())
        showTopic(contexts.front());
}

void HelpViewer::back() {
    if (history_.empty())
        return;
    const int previous = history_.back();
    history_.pop_back();
    showTopic(previous, false);
}

} // namespace platform
