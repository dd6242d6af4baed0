// The archive information dialog on archives made here, through the real
// engines: its figures, and the comment editor with Enter, Esc, no change,
// a failed write and multidisk mode.
#include "AppTestSupport.h"

#include "DialogCommands.h"
#include "FrmArchiveInfo.h"
#include "MainForm.h"
#include "platform/SystemDate.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <clocale>

using platform::MsgResult;

namespace {

QString LabelText(const QDialog &dialog, const char *name) {
    auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

QByteArray FileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SetModified(const QString &path, const QDateTime &time) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

class ArchiveInfoTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        std::setlocale(LC_ALL, "C");
    }

    // entries: a Python list of (name, data, method) tuples.
    QString PyZip(const QString &name, const QString &entries,
                  const QString &comment = QStringLiteral("b''")) {
        const QString path = TempPath(name);
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import os, sys, zipfile\n"
                                     "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                     "z.comment = %1\n"
                                     "for n, d, m in [%2]:\n"
                                     "    i = zipfile.ZipInfo(n, (2024, 5, 17, 13, 45, 30))\n"
                                     "    i.compress_type = m\n"
                                     "    z.writestr(i, d)\n"
                                     "z.close()\n")
                          .arg(comment, entries),
                      path});
        EXPECT_TRUE(python.waitForFinished(60000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return path;
    }

    std::unique_ptr<TMainFormFm> FormWith(const QString &archive) {
        auto form = NewForm();
        form->Session().MainZip.ZipFileName = archive;
        return form;
    }

    // Opens the comment editor, types `text` unless it is null, and closes
    // the dialog with `key`.
    void EditComment(TMainFormFm &form, const QString &text, Qt::Key key) {
        TFrmArchiveInfo dialog(form);
        dialog.Tag = 1;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("EdComment"));
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->isVisible());
        EXPECT_FALSE(dialog.findChild<QLabel *>(QStringLiteral("Label12"))->isVisible());
        if (!text.isNull())
            edit->setText(text);
        QTest::keyClick(edit, key);
        EXPECT_FALSE(dialog.isVisible());
    }
};

TEST_F(ArchiveInfoTest, FiguresFromTheArchiveAndItsFile) {
    struct Case {
        const char *name;
        const char *entries;
        const char *files;
        const char *compression;
    };
    const Case cases[] = {
        // 10,000 random bytes stored and 10,000 zeros deflated to a few bytes.
        {"half.zip", "('r.bin', os.urandom(10000), 0), ('z.bin', bytes(10000), 8)", "2", "50%"},
        {"stored.zip", "('a.txt', b'abc' * 100, 0), ('b.txt', b'', 0)", "2", "0%"},
        {"empty.zip", "", "0", "0%"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = PyZip(QString::fromLatin1(c.name), QString::fromLatin1(c.entries));
        // One second past midnight is midnight in two-second steps: the
        // time is left out.
        const QDateTime midnight(QDate(2025, 2, 3), QTime(0, 0, 1));
        SetModified(path, midnight);
        auto form = FormWith(path);
        TFrmArchiveInfo dialog(*form);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Archive Information"));
        EXPECT_EQ(LabelText(dialog, "Label6"), path);
        EXPECT_EQ(LabelText(dialog, "Label7"), QString::number(QFileInfo(path).size()));
        EXPECT_EQ(LabelText(dialog, "Label8"), QLatin1String(c.files));
        EXPECT_EQ(LabelText(dialog, "Label9"), QLatin1String(c.compression));
        EXPECT_EQ(LabelText(dialog, "Label5"), QStringLiteral("02/03/25"));
    }
    EXPECT_EQ(TFrmArchiveInfo::DateTimeText(QDateTime(QDate(2024, 5, 17), QTime(13, 45, 30))),
              QStringLiteral("05/17/24 13:45:30"));
    EXPECT_TRUE(desktop_->messages().empty());
}

TEST_F(ArchiveInfoTest, SumsAreSixtyFourBitAndLargeFiguresGetSeparators) {
    // One entry past 4 GiB: 32-bit sums would come out negative or wrapped.
    const QString big = TempPath(QStringLiteral("big.zip"));
    const quint64 size = (5ull << 30) + 7;
    ASSERT_TRUE(WriteSparseZip64(big, "disk.img", size));
    auto form = FormWith(big);
    {
        TFrmArchiveInfo dialog(*form);
        EXPECT_EQ(dialog.Figures().TotalSize, static_cast<qint64>(size));
        EXPECT_EQ(dialog.Figures().TotalPacked, static_cast<qint64>(size));
        EXPECT_EQ(LabelText(dialog, "Label9"), QStringLiteral("0%"));
    }

    // A one-byte entry, stored and encrypted, packs to 13 bytes: the
    // saving is -1,200 percent, with the locale's thousands separator.
    const QString tiny = TempPath(QStringLiteral("tiny.txt"));
    QFile file(tiny);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    form->Session().MainZip.ZipFileName = TempPath(QStringLiteral("crypt.zip"));
    form->Session().MainZip.Password = QStringLiteral("secret");
    form->Session().MainZip.Compression = 0;
    form->Session().MainZip.FilesToProcess = QStringList{tiny};
    ASSERT_EQ(form->Session().MainZip.AddToArchive(TZipAddMode::Add), 0);
    TFrmArchiveInfo dialog(*form);
    EXPECT_EQ(LabelText(dialog, "Label9"), QStringLiteral("-1,200%"));
}

TEST_F(ArchiveInfoTest, InformationModeShowsTheCommentOnTopWhenAsked) {
    const QString path = PyZip(QStringLiteral("c.zip"), QStringLiteral("('a', b'a', 0)"),
                               QStringLiteral("b'<b>first</b>\\r\\nsecond'"));
    auto form = FormWith(path);
    form->Settings.OnTop = true;
    TFrmArchiveInfo dialog(*form);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(LabelText(dialog, "Label12"), QStringLiteral("<b>first</b>\nsecond"));
    EXPECT_TRUE(dialog.findChild<QLabel *>(QStringLiteral("Label12"))->isVisible());
    EXPECT_FALSE(dialog.findChild<QLineEdit *>(QStringLiteral("EdComment"))->isVisible());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ArchiveInfoTest, EnterAndEscBothSaveAChangedComment) {
    const QString path =
        PyZip(QStringLiteral("c.zip"), QStringLiteral("('a', b'a', 0)"), QStringLiteral("b'old'"));
    auto form = FormWith(path);
    EditComment(*form, QStringLiteral("by enter"), Qt::Key_Return);
    EXPECT_EQ(form->Session().MainZip.ArchiveComment(), QStringLiteral("by enter"));
    EditComment(*form, QStringLiteral("by escape"), Qt::Key_Escape);
    EXPECT_EQ(form->Session().MainZip.ArchiveComment(), QStringLiteral("by escape"));
    const QString longest(255, QLatin1Char('c'));
    EditComment(*form, longest + QStringLiteral("cut"), Qt::Key_Return);
    EXPECT_EQ(form->Session().MainZip.ArchiveComment(), longest);
    EXPECT_TRUE(desktop_->messages().empty());
}

TEST_F(ArchiveInfoTest, TheCommentLimitCountsCharactersNotBytes) {
    const QString path =
        PyZip(QStringLiteral("c.zip"), QStringLiteral("('a', b'a', 0)"), QStringLiteral("b'old'"));
    auto form = FormWith(path);
    const QString u(QStringLiteral("\u00fc")), euro(QStringLiteral("\u20ac"));
    struct Case {
        QString typed;
        QString saved;
    };
    const Case cases[] = {
        {u.repeated(150), u.repeated(150)},
        {u.repeated(300), u.repeated(255)},
        {euro.repeated(255), euro.repeated(255)},
        {QStringLiteral("a") + euro.repeated(300), QStringLiteral("a") + euro.repeated(254)},
    };
    for (const Case &c : cases) {
        EditComment(*form, c.typed, Qt::Key_Return);
        EXPECT_EQ(form->Session().MainZip.ArchiveComment(), c.saved);
    }
    EXPECT_TRUE(desktop_->messages().empty());
}

TEST_F(ArchiveInfoTest, AnUnchangedCommentWritesNothing) {
    const QString path = PyZip(QStringLiteral("c.zip"), QStringLiteral("('a', b'a', 0)"),
                               QStringLiteral("b'keep me'"));
    const QDateTime old(QDate(2020, 1, 1), QTime(12, 0));
    SetModified(path, old);
    const QByteArray before = FileBytes(path);
    auto form = FormWith(path);
    EditComment(*form, QString(), Qt::Key_Return);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), old);
}

TEST_F(ArchiveInfoTest, AFailedOrRefusedWriteIsReported) {
    const QString path =
        PyZip(QStringLiteral("c.zip"), QStringLiteral("('a', b'a', 0)"), QStringLiteral("b'old'"));
    auto form = FormWith(path);
    qputenv("TARNWICK_ZIPENG_FAIL_AFTER", "0");
    desktop_->answerMessage(MsgResult::OK);
    EditComment(*form, QStringLiteral("new"), Qt::Key_Return);
    qunsetenv("TARNWICK_ZIPENG_FAIL_AFTER");
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text, QStringLiteral("Disk full while writing the comment."));
    EXPECT_EQ(form->Session().MainZip.ArchiveComment(), QStringLiteral("old"));

    desktop_->clear();
    form->Session().MainZip.MultidiskMode = true;
    desktop_->answerMessage(MsgResult::OK);
    EditComment(*form, QStringLiteral("new"), Qt::Key_Escape);
    ASSERT_EQ(desktop_->messages().size(), 1u);
    EXPECT_EQ(desktop_->messages()[0].text,
              QStringLiteral("The comment cannot be changed on a multiple-disk archive."));
    EXPECT_EQ(desktop_->messages()[0].kind, platform::MsgKind::Error);
    EXPECT_EQ(form->Session().MainZip.ArchiveComment(), QStringLiteral("old"));
}

TEST_F(ArchiveInfoTest, InformationCommentAndAboutOpenModallyFromTheirItems) {
    // Each dialog is closed by a key once it is up; what it was, and the
    // cursor it showed, are recorded.
    QStringList seen;
    auto closeWith = [&](Qt::Key key) {
        auto *poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, [&seen, key, poll] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || !w->isVisible())
                return;
            poll->stop();
            poll->deleteLater();
            const QCursor *cursor = QApplication::overrideCursor();
            seen << w->objectName() + QLatin1Char(':') +
                        (cursor ? QString::number(cursor->shape()) : QStringLiteral("none"));
            QTest::keyClick(w, key);
        });
        poll->start();
    };
    const QString path =
        PyZip(QStringLiteral("c.zip"), QStringLiteral("('a', b'a', 0)"), QStringLiteral("b'note'"));
    const QByteArray bytes = FileBytes(path);
    auto form = FormWith(path);
    closeWith(Qt::Key_Return);
    ArchiveInformation1Click(*form);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    closeWith(Qt::Key_Escape);
    AddComment1Click(*form);
    closeWith(Qt::Key_Escape);
    HelpAboutMnClick(*form);
    const QString arrow = QString::number(Qt::ArrowCursor);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("FrmArchiveInfo:") + arrow,
                                 QStringLiteral("FrmArchiveInfo:") + arrow,
                                 QStringLiteral("FrmInitial:") + arrow}));
    EXPECT_EQ(FileBytes(path), bytes); // Esc without a change wrote nothing
}
