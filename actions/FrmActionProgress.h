// The window of a file-manager action: what is being done, the file at
// hand, the progress bar and an Abort button, bound to an engine's events
// the way the main window binds its own.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class TZipEngine;

class TFrmActionProgress : public QWidget {
public:
    explicit TFrmActionProgress(TZipEngine &engine);
    ~TFrmActionProgress() override;

    // The line above the file: "Extracting photos.zip into /home/me/photos".
    void SetAction(const QString &text);

private:
    void ShowFile(const char *word, const QString &fileName);
    void AbortClick();

    TZipEngine &engine_;
    QLabel *LbAction = nullptr;
    QLabel *LbFile = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *BtnAbort = nullptr;
};
