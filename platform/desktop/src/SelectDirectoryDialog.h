#pragma once

#include <QDialog>

class QFileSystemModel;
class QLineEdit;
class QTreeView;

namespace platform {

// "Select Directory": a folder tree and an editable folder name. The name may
// name a folder that does not exist yet; the caller decides what follows.
class SelectDirectoryDialog : public QDialog {
public:
    SelectDirectoryDialog(const QString &caption, const QString &initialDir, QWidget *parent);
    // The folder in the name field, made absolute.
    QString folder() const;

private:
    void showFolder(const QString &folder);

    QFileSystemModel *model_;
    QTreeView *tree_;
    QLineEdit *name_;
};

} // namespace platform
