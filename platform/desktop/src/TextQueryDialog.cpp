#include "TextQueryDialog.h"

#include "platform/ModalCursor.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace platform {

TextQueryResult RunTextQuery(const TextQueryRequest &request, QWidget *parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("TextQueryDlg"));
    dialog.setWindowTitle(request.caption);
    auto *layout = new QVBoxLayout(&dialog);
    auto *prompt = new QLabel(request.prompt, &dialog);
    prompt->setObjectName(QStringLiteral("LbQueryPrompt"));
    auto *text = new QLineEdit(request.text, &dialog);
    text->setObjectName(QStringLiteral("EdQueryText"));
    text->selectAll();
    text->setMinimumWidth(260);
    if (request.masked) {
        text->setEchoMode(QLineEdit::Password);
        text->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    }
    prompt->setBuddy(text);
    layout->addWidget(prompt);
    layout->addWidget(text);
    QCheckBox *option = nullptr;
    if (!request.option.isEmpty()) {
        option = new QCheckBox(request.option, &dialog);
        option->setObjectName(QStringLiteral("CkBxQueryOption"));
        option->setChecked(request.optionChecked);
        layout->addWidget(option);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BtnQueryOK"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BtnQueryCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.setFixedSize(dialog.sizeHint());

    if (ExecModal(dialog) != QDialog::Accepted)
        return TextQueryResult{};
    return TextQueryResult{true, text->text(), option != nullptr && option->isChecked()};
}

} // namespace platform
