#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QLabel;
class QWidget;

namespace platform {

// The application's one hint handler. Status tips of widgets, menu items and
// actions go to the handler of the window that was activated last (panel 0 of
// its status bar), each time the hint text changes; tooltip windows are never
// shown.
class HintRouter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QString &hint)>;

    // Installs the application-wide event filter once (needs a QApplication).
    static HintRouter &instance();

    // `window` takes the hint handler now and again each time it is activated;
    // the hint goes into `panel0`. Forgotten when either is destroyed.
    void registerPanel(QWidget *window, QLabel *panel0);
    // Same with a handler of the caller's own.
    void registerHandler(QWidget *window, Handler handler);
    // Makes `window`'s handler the current one (what activation does).
    void activate(QWidget *window);

    // The hint last routed (also with no handler registered).
    QString currentHint() const { return hint_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    HintRouter();
    void route(const QString &hint);

    struct Entry {
        QPointer<QWidget> window;
        Handler handler;
    };
    std::vector<Entry> entries_;
    QPointer<QWidget> active_;
    QString hint_;
};

} // namespace platform
