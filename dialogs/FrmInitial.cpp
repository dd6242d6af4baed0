#include "FrmInitial.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace {
#include "art/about.xpm"

// A bold navy label drawn straight onto the picture.
QLabel *NavyLabel(QWidget *parent, const char *name, const QString &text, int x, int y) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setStyleSheet(QStringLiteral("color: navy; background: transparent;"));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

struct ContactRow {
    const char *captionName;
    const char *caption;
    const char *valueName;
    const char *value;
};

// The contact block: a heading and three caption-and-value rows, the values
// lined up at x 238.
constexpr ContactRow ContactRows[] = {
    {"Label5", "Web:", "Label6", "tarnwick.example.org"},
    {"Label7", "E-mail:", "Label8", "support@tarnwick.example.org"},
    {"Label9", "Post:", "Label10", "Tarnwick Software, Keswick"},
};

} // namespace

QPixmap TFrmInitial::Picture() {
    return QPixmap(about_picture);
}

TFrmInitial::TFrmInitial(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmInitial"));
    setWindowTitle(QStringLiteral("Tarnwick"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(499, 305);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 499, 305);
    Image1->setPixmap(Picture());

    Label3 = NavyLabel(this, "Label3",
                       QStringLiteral("Tarnwick " TARNWICK_VERSION " for Windows 95"), 157, 49);
    NavyLabel(this, "Label4", QStringLiteral("Contact us"), 157, 100);
    int y = 124;
    for (const ContactRow &row : ContactRows) {
        NavyLabel(this, row.captionName, QString::fromLatin1(row.caption), 157, y);
        NavyLabel(this, row.valueName, QString::fromLatin1(row.value), 238, y);
        y += 22;
    }

    BtnOk = new QPushButton(QStringLiteral("&Ok"), this);
    BtnOk->setObjectName(QStringLiteral("BtnOk"));
    QFont font = BtnOk->font();
    font.setBold(true);
    BtnOk->setFont(font);
    BtnOk->setStyleSheet(QStringLiteral("color: navy;"));
    BtnOk->setGeometry(281, 254, 75, 25);
    BtnOk->setDefault(true);
    BtnOk->setAutoDefault(true);
    connect(BtnOk, &QPushButton::clicked, this, [this] { BtnOkClick(); });
    // Esc is the cancel button's: QDialog's reject() closes the box too.

    if (QScreen *s = screen())
        move(s->geometry().center() - rect().center());
}

void TFrmInitial::BtnOkClick() {
    accept();
}
