// A file-manager-like drop target for the drag tests: a window that takes
// drops of local files (text/uri-list), copies them with their folders into
// the folder named on its command line and exits.
//
// Usage: tarnwick_drop_target X Y FOLDER
// Prints "shown" once the window is on the screen, "enter" when a drag
// enters it and "dropped N" after copying N items. Like Qt programs and
// file managers that only look at the offered types while a drag passes,
// it asks for the list itself only on the drop.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

bool CopyItem(const QString &from, const QString &to) {
    const QFileInfo info(from);
    if (!info.isDir() || info.isSymLink())
        return QFile::copy(from, to);
    if (!QDir().mkpath(to))
        return false;
    bool all = true;
    QDirIterator inner(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    while (inner.hasNext()) {
        inner.next();
        all = CopyItem(inner.filePath(), to + QLatin1Char('/') + inner.fileName()) && all;
    }
    return all;
}

void Say(const char *line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

class DropTarget : public QWidget {
public:
    explicit DropTarget(QString folder) : folder_(std::move(folder)) {
        setAcceptDrops(true);
        setWindowTitle(QStringLiteral("Drop target"));
    }

protected:
    void showEvent(QShowEvent *) override {
        QTimer::singleShot(0, this, [] { Say("shown"); });
    }
    void dragEnterEvent(QDragEnterEvent *event) override {
        // hasUrls() reads the offered types only, not the data.
        if (event->mimeData()->hasUrls()) {
            event->setDropAction(Qt::CopyAction);
            event->accept();
            Say("enter");
        }
    }
    void dragMoveEvent(QDragMoveEvent *event) override {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
    void dropEvent(QDropEvent *event) override {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        int copied = 0;
        for (const QUrl &url : event->mimeData()->urls()) {
            const QString path = url.toLocalFile();
            if (!path.isEmpty() &&
                CopyItem(path, folder_ + QLatin1Char('/') + QFileInfo(path).fileName()))
                ++copied;
        }
        std::printf("dropped %d\n", copied);
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QApplication::quit);
    }

private:
    QString folder_;
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: tarnwick_drop_target X Y FOLDER\n");
        return 2;
    }
    DropTarget target{QString::fromLocal8Bit(argv[3])};
    target.setGeometry(QString::fromLatin1(argv[1]).toInt(), QString::fromLatin1(argv[2]).toInt(),
                       300, 300);
    target.show();
    return application.exec();
}
