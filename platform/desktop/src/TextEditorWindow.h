#pragma once

#include <QMainWindow>

class QPlainTextEdit;

namespace platform {

// The plain-text editor that stands in for Notepad: open, edit, save.
class TextEditorWindow : public QMainWindow {
public:
    explicit TextEditorWindow(QWidget *parent = nullptr);

    // Loads `path`; a file that does not exist opens empty under that name and
    // is created by the first save. False when an existing file cannot be read.
    bool openFile(const QString &path);
    bool save();
    bool saveAs();

    QString fileName() const { return path_; }
    QPlainTextEdit *editor() const { return edit_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool writeTo(const QString &path);
    bool askToSaveChanges(); // false: stay open
    void openWithDialog();
    void updateTitle();

    QPlainTextEdit *edit_;
    QString path_;
};

} // namespace platform
