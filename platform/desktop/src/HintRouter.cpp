#include "platform/HintRouter.h"

#include <QApplication>
#include <QLabel>
#include <QStatusTipEvent>
#include <QWidget>

namespace platform {

HintRouter &HintRouter::instance() {
    // Parented to the application so it goes away with it.
    static QPointer<HintRouter> router;
    if (!router)
        router = new HintRouter;
    // Asked before the application existed: install once it does.
    QCoreApplication *app = QCoreApplication::instance();
    if (app && router->parent() != app) {
        router->setParent(app);
        app->installEventFilter(router);
    }
    return *router;
}

HintRouter::HintRouter() = default;

void HintRouter::registerPanel(QWidget *window, QLabel *panel0) {
    QPointer<QLabel> panel(panel0);
    registerHandler(window, [panel](const QString &hint) {
        if (panel)
            panel->setText(hint);
    });
}

void HintRouter::registerHandler(QWidget *window, Handler handler) {
    std::erase_if(entries_, [window](const Entry &e) { return !e.window || e.window == window; });
    entries_.push_back(Entry{window, std::move(handler)});
    active_ = window;
}

void HintRouter::activate(QWidget *window) {
    for (const Entry &e : entries_) {
        if (e.window == window) {
            active_ = window;
            return;
        }
    }
}

void HintRouter::route(const QString &hint) {
    // The handler runs only when the hint text changes: the panel may hold
    // something else meanwhile (the totals a command leaves there), which a
    // pointer crossing widgets without a hint must not wipe.
    if (hint == hint_)
        return;
    hint_ = hint;
    if (!active_)
        return;
    for (const Entry &e : entries_) {
        if (e.window == active_ && e.handler) {
            e.handler(hint);
            return;
        }
    }
}

namespace {

// The hint of a widget: its own status tip, else that of the nearest enclosing
// widget that has one, else nothing.
QString HintOf(const QWidget *widget) {
    for (const QWidget *w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (!w->statusTip().isEmpty())
            return w->statusTip();
    }
    return {};
}

} // namespace

bool HintRouter::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (auto *w = qobject_cast<QWidget *>(watched); w && w->isWindow())
            activate(w);
        break;
    case QEvent::StatusTip:
        // Menus and widgets with a tip send these; the panel shows them instead
        // of the status bar's temporary message.
        route(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    case QEvent::Enter:
        // Qt only sends a tip for widgets that have one; a widget without one
        // shows its container's hint (or clears the panel).
        if (auto *w = qobject_cast<QWidget *>(watched); w && w->statusTip().isEmpty())
            route(HintOf(w));
        break;
    case QEvent::ToolTip:
        return true; // hints appear in the status bar only
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
