#include "platform/toolkit/window_keys.h"

#include "platform/toolkit/program.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QList>
#include <QShortcut>
#include <QWidget>

namespace toolkit {

namespace {

// Before a key becomes a shortcut, Qt offers it to the control with the focus, which may keep
// it. Refusing that offer on behalf of every control of the window hands the window's keys to
// its shortcuts.
class ControlsYieldKeys : public QObject {
public:
    explicit ControlsYieldKeys(QWidget& window) : QObject(&window) {
        for (QWidget* control : window.findChildren<QWidget*>())
            control->installEventFilter(this);
    }

    void add(const QKeySequence& key) { m_keys.append(key); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        // Eaten but not accepted: the key goes on to the shortcuts.
        return m_keys.contains(pressed);
    }

private:
    QList<QKeySequence> m_keys;
};

QShortcut& windowShortcut(QWidget& window, const QKeySequence& key) {
    ControlsYieldKeys* yielding = nullptr;
    for (QObject* child : window.children())
        if (auto* found = dynamic_cast<ControlsYieldKeys*>(child))
            yielding = found;
    if (yielding == nullptr)
        yielding = new ControlsYieldKeys(window);
    yielding->add(key);
    auto* shortcut = new QShortcut(key, &window);
    shortcut->setContext(Qt::WindowShortcut);
    return *shortcut;
}

} // namespace

void onWindowKey(QWidget& window, const QKeySequence& key, Handler handler) {
    QShortcut& shortcut = windowShortcut(window, key);
    QObject::connect(&shortcut, &QShortcut::activated, &window,
                     [handler = std::move(handler)] { Program::instance().dispatch(handler); });
}

void clickOnWindowKey(QWidget& window, const QKeySequence& key, QAbstractButton& button) {
    QShortcut& shortcut = windowShortcut(window, key);
    QObject::connect(&shortcut, &QShortcut::activated, &button, &QAbstractButton::click);
}

} // namespace toolkit
