// TFrmBrowse: a modeless window that lists the ZIP archives of one folder
// with their comments and opens the chosen one in the main window. Several
// may be open at once; each destroys itself when closed.
#pragma once

#include "ZipEngine.h"

#include <QWidget>

class QHeaderView;
class QLabel;
class QListWidget;
class QToolButton;
class TCommandHost;
class TPlacement;

class TFrmBrowse : public QWidget {
    Q_OBJECT
public:
    explicit TFrmBrowse(TCommandHost &mainForm);
    ~TFrmBrowse() override;

    void SpdBtnBrowseClick();
    void FilesLbClick();
    void FilesLbDblClick(); // also SpdBtnOpen

    // The folder of the last scan, shared by every browser for the run.
    static QString LastScanFolder();

    // Comments are read with this instance, so the main window's archive is
    // never disturbed.
    TZipEngine ZipEngine1;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ScanFolder(const QString &folder);
    int SelectedCount() const;

    TCommandHost &mainForm_;
    TPlacement *Placement1 = nullptr;
    QToolButton *SpdBtnBrowse = nullptr;
    QToolButton *SpdBtnOpen = nullptr;
    QHeaderView *FilesHd = nullptr;
    QListWidget *FilesLb = nullptr;
    QLabel *panel0_ = nullptr;
    bool placed_ = false;
    bool scanning_ = false;
};
