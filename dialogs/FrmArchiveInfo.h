// TFrmArchiveInfo: the archive information dialog of the open archive, and
// with Tag 1 the editor of its comment. Everything comes from the window's
// archive session and from the archive file; the dialog keeps nothing.
#pragma once

#include "ArchiveFigures.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TCommandHost;

class TFrmArchiveInfo : public QDialog {
    Q_OBJECT
public:
    // Gathers every figure at once (FormCreate); a large archive takes its
    // time here, before the dialog is shown.
    explicit TFrmArchiveInfo(TCommandHost &owner);

    // 0 shows information, 1 edits the comment; set before showing.
    int Tag = 0;

    void FormShow();
    // Writes a changed comment in comment mode, then closes.
    void Button1Click();

    const TArchiveFigures &Figures() const { return figures_; }

    // The texts of the value labels.
    static QString SizeText(const TArchiveFigures &figures);
    static QString CompressionText(const TArchiveFigures &figures);
    static QString DateTimeText(const QDateTime &time);

protected:
    void showEvent(QShowEvent *event) override;
    // Esc and the window manager's close run Button1Click too.
    void reject() override;

private:
    void FormCreate();

    TCommandHost &owner_;
    TArchiveFigures figures_;
    bool closing_ = false;

    QLabel *Label5 = nullptr;  // date and time
    QLabel *Label6 = nullptr;  // path
    QLabel *Label7 = nullptr;  // size
    QLabel *Label8 = nullptr;  // entries
    QLabel *Label9 = nullptr;  // compression
    QLabel *Label12 = nullptr; // comment
    QLineEdit *EdComment = nullptr;
    QPushButton *Button1 = nullptr;
};
