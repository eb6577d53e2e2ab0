#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace toolkit {

class Notice;

// A control whose content changes by itself, as a screen reader should hear it: when an event
// has changed what the control says and the keyboard focus is elsewhere, a notification carrying
// the new words is raised for assistive technologies. Nothing is drawn. With the focus on the
// control, the screen reader follows the control on its own; while the window cannot be seen,
// nothing is said.
class LiveRegion : public QObject {
public:
    explicit LiveRegion(QWidget& control);

    // What the control says now. Several changes in one event are heard once, as the event
    // leaves them, and only when that differs from what the control said before the event.
    void update(const QString& spoken);

private:
    void settle();
    bool canBeSeen() const;

    QWidget& m_control;
    Notice* m_notice;
    QString m_settled;
    QString m_pending;
    bool m_settling = false;
};

} // namespace toolkit
