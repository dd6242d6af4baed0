#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick for Windows 95"));
    QMainWindow window;
    window.setObjectName(QStringLiteral("TMainFormFm"));
    window.setWindowTitle(QApplication::applicationName());
    window.resize(475, 283);
    window.show();
    return app.exec();
}
