#pragma once

#include "platform/Desktop.h"
#include "platform/HelpFile.h"

#include <QWidget>

#include <optional>

class QLineEdit;
class QListWidget;
class QSplitter;
class QTextBrowser;

namespace platform {

// The help viewer window: the topics of one help file, a keyword index with
// prefix search, and back navigation. One window serves every request.
class HelpViewer : public QWidget {
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Loads `path` when it is not the file shown already, then carries out the
    // request. False (and an error box) when the file cannot be read.
    bool handle(const HelpRequest &request, const QString &path);

    int currentContext() const { return current_; }
    QString currentTitle() const;
    QStringList indexEntries() const; // what the index list shows now

private:
    void showTopic(int context, bool remember = true);
    void showIndex(const QString &key);
    void filterIndex(const QString &prefix);
    void openIndexEntry();
    void back();

    std::optional<help::HelpFile> file_;
    QString path_;
    int current_ = -1;
    std::vector<int> history_;

    QSplitter *splitter_;
    QWidget *indexPane_;
    QLineEdit *search_;
    QListWidget *index_;
    QTextBrowser *text_;
};

} // namespace platform
