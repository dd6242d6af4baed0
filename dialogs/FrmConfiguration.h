// TFrmConfiguration: the modal dialog in which the user edits the settings
// the main window holds in memory. OK writes every control back; Cancel,
// Esc and the close box write nothing.
#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSlider;
class QTabWidget;
class QPushButton;
struct TSettings;

class TFrmConfiguration : public QDialog {
    Q_OBJECT
public:
    // mainWindow is made a stay-on-top window when OK switches that on.
    TFrmConfiguration(TSettings &settings, QWidget *mainWindow);

    void FormCreate();
    void Button2Click(); // OK
    void Button1Click(); // Cancel
    void Button3Click(); // Help

    static constexpr int HelpContextDialog = 1010;

    // F1: the help topic of the page on show.
    void ShowPageHelp();

private:
    void BuildOptionsPage();
    void BuildAddOptionsPage();
    void BuildExtractOptionsPage();
    void BuildPasswordPage();
    void BuildOtherPage();
    int MouseActionIndex() const;

    TSettings &settings_;
    QWidget *mainWindow_;

    QTabWidget *PageControl1 = nullptr;
    QSlider *TrackBar1 = nullptr;
    QCheckBox *CkBxRemove = nullptr;
    QCheckBox *CkBxExtract = nullptr;
    QCheckBox *CkBxAdd = nullptr;
    QLineEdit *EdTempFolder = nullptr;
    QCheckBox *CkBxOnTop = nullptr;
    QCheckBox *CkBxUseTemp = nullptr;
    QLineEdit *EdPassword = nullptr;
    QComboBox *CmEncryption = nullptr; // ours: the Encryption setting
    QCheckBox *CkBxCloseBrowser = nullptr;
    QRadioButton *mouseActions_[3] = {};
    QCheckBox *CkBxClearDisk = nullptr;
    QCheckBox *CkBxIncludeHidden = nullptr;
    QCheckBox *CkBxMoveFiles = nullptr;
    QCheckBox *CkBxStorePath = nullptr;
    QCheckBox *CkBxRecurse = nullptr;
    QCheckBox *CkBxStoreSymlinks = nullptr;
    QCheckBox *CkBxAskPassword = nullptr;
    QLineEdit *EdStoredExt = nullptr;
    QComboBox *CmOverwrite = nullptr;
    QLineEdit *EdDefaultExtractPath = nullptr;
    QCheckBox *CkBxExtractPath = nullptr;
    QComboBox *CmExtractMethod = nullptr;
};
