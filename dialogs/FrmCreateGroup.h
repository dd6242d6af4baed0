// TFrmCreateGroup: installs the open archive in one step. Every entry is
// extracted into a folder, then the "ProgMan" service makes a program group
// with one item per entry.
#pragma once

#include <QDialog>

class QLineEdit;
class TCommandHost;

class TFrmCreateGroup : public QDialog {
    Q_OBJECT
public:
    explicit TFrmCreateGroup(TCommandHost &form);

    void FormCreate();
    void BtnOkClick();
    void BtnCancelClick();

    static constexpr int HelpContextDialog = 1013;

private:
    TCommandHost &form_;
    QLineEdit *Edit1 = nullptr; // folder to extract into
    QLineEdit *Edit2 = nullptr; // group name
};
