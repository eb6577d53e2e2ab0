#include "first_paint.h"

#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace bench {

namespace {

class FirstPaintWatcher : public QObject {
public:
    FirstPaintWatcher(QObject* parent, std::function<void()> then)
        : QObject(parent), m_then(std::move(then)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // The paint event is seen before the window handles it, and the children paint
            // after it in the same pass; a queued call runs only once the pass is over.
            QMetaObject::invokeMethod(this, &FirstPaintWatcher::report, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void report() {
        std::fputs(firstPaintLine, stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
        m_then();
    }

    std::function<void()> m_then;
    bool m_seen = false;
};

} // namespace

void exitAfterFirstPaint(QWidget& window) {
    afterFirstPaint(window, [] { std::_Exit(EXIT_SUCCESS); });
}

void afterFirstPaint(QWidget& window, std::function<void()> then) {
    window.installEventFilter(new FirstPaintWatcher(&window, std::move(then)));
}

} // namespace bench
