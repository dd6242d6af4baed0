// TFrmInitial: the about box over its own background picture.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TFrmInitial : public QDialog {
    Q_OBJECT
public:
    explicit TFrmInitial(QWidget *parent = nullptr);

    void BtnOkClick();

    // The background picture: 499 x 305 in 16 colours.
    static QPixmap Picture();

private:
    QLabel *Image1 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *BtnOk = nullptr;
};
