#include "SelectDirectoryDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

namespace platform {

SelectDirectoryDialog::SelectDirectoryDialog(const QString &caption, const QString &initialDir,
                                             QWidget *parent)
    : QDialog(parent), model_(new QFileSystemModel(this)), tree_(new QTreeView(this)),
      name_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("SelectDirectoryDialog"));
    setWindowTitle(caption);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QStringLiteral("/"));
    tree_->setObjectName(QStringLiteral("DirectoryTree"));
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    tree_->setSortingEnabled(true);
    tree_->sortByColumn(0, Qt::AscendingOrder);
    for (int column = 1; column < model_->columnCount(); ++column)
        tree_->hideColumn(column);
    name_->setObjectName(QStringLiteral("DirectoryName"));

    auto *nameLabel = new QLabel(QStringLiteral("Directory &Name:"), this);
    nameLabel->setBuddy(name_);
    auto *treeLabel = new QLabel(QStringLiteral("&Directories:"), this);
    treeLabel->setBuddy(tree_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(nameLabel);
    layout->addWidget(name_);
    layout->addWidget(treeLabel);
    layout->addWidget(tree_, 1);
    layout->addWidget(buttons);
    resize(360, 380);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    name_->setText(model_->filePath(current));
            });
    showFolder(initialDir.isEmpty() ? QDir::currentPath() : initialDir);
    // The tree is made first, so it would take the focus and a typed name
    // would go to its keyboard search; the name is what users type.
    setTabOrder(name_, tree_);
    name_->setFocus();
    name_->selectAll();
}

void SelectDirectoryDialog::showFolder(const QString &folder) {
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    const QModelIndex index = model_->index(absolute);
    if (index.isValid()) {
        tree_->setCurrentIndex(index);
        tree_->scrollTo(index);
    }
    name_->setText(absolute);
}

QString SelectDirectoryDialog::folder() const {
    return QDir::cleanPath(QDir::current().absoluteFilePath(name_->text().trimmed()));
}

} // namespace platform
