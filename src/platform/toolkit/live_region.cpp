#include "platform/toolkit/live_region.h"

#include <QAccessibleObject>
#include <QTimer>
#include <QWidget>

namespace toolkit {

// The words of the last announcement, with the control they are about.
class Notice : public QObject {
public:
    Notice(QObject* parent, QWidget& control) : QObject(parent), m_control(control) {}

    QWidget& control() const { return m_control; }
    QString words;

private:
    QWidget& m_control;
};

namespace {

// Where the control lies on the screen, for the screen reader's own use.
QRect screenRect(const QWidget& control) {
    return QRect(control.mapToGlobal(QPoint(0, 0)), control.size());
}

// A notification without a name, holding one label with the words. A screen reader says a
// notification as it appears: Orca 43 its role, its name and the labels inside that differ from
// the name, the labels alone going to braille and to its list of notifications; later versions
// the name or, without one, the labels. Words in the label and none in the name suit both.
class NoticeAccessible : public QAccessibleObject {
public:
    explicit NoticeAccessible(Notice* notice) : QAccessibleObject(notice) {}

    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text) const override { return {}; }
    QRect rect() const override { return screenRect(notice().control()); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(notice().control().window());
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override { return index == 0 ? label() : nullptr; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == label() ? 0 : -1;
    }

private:
    Notice& notice() const { return *static_cast<Notice*>(object()); }
    QAccessibleInterface* label() const {
        return QAccessible::queryAccessibleInterface(notice().children().constFirst());
    }
};

class NoticeLabelAccessible : public QAccessibleObject {
public:
    explicit NoticeLabelAccessible(QObject* label) : QAccessibleObject(label) {}

    QAccessible::Role role() const override { return QAccessible::StaticText; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? notice().words : QString();
    }
    QRect rect() const override { return screenRect(notice().control()); }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(&notice());
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

private:
    Notice& notice() const { return *static_cast<Notice*>(object()->parent()); }
};

void notify(QObject* object, QAccessible::Event change) {
    QAccessibleEvent event(QAccessible::queryAccessibleInterface(object), change);
    QAccessible::updateAccessibility(&event);
}

} // namespace

LiveRegion::LiveRegion(QWidget& control) : m_control(control), m_notice(new Notice(this, control)) {
    auto* label = new QObject(m_notice);
    // The accessibility cache owns the descriptions and drops them with their objects.
    QAccessible::registerAccessibleInterface(new NoticeAccessible(m_notice));
    QAccessible::registerAccessibleInterface(new NoticeLabelAccessible(label));
}

void LiveRegion::update(const QString& spoken) {
    m_pending = spoken;
    if (!canBeSeen()) {
        // Nobody saw it change: no news when the window appears.
        m_settled = spoken;
        return;
    }
    if (m_settling)
        return;
    m_settling = true;
    QTimer::singleShot(0, this, [this] { settle(); });
}

void LiveRegion::settle() {
    m_settling = false;
    if (m_pending == m_settled)
        return;
    m_settled = m_pending;
    if (m_control.hasFocus() || !canBeSeen())
        return;
    m_notice->words = m_settled;
    // The name first: a screen reader that kept the old words drops them before it reads again.
    notify(m_notice->children().constFirst(), QAccessible::NameChanged);
    notify(m_notice, QAccessible::ObjectShow);
}

bool LiveRegion::canBeSeen() const {
    const QWidget* window = m_control.window();
    return window->isVisible() && !window->isMinimized();
}

} // namespace toolkit
