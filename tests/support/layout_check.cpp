#include "support/layout_check.h"

#include "platform/toolkit/form.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QTest>
#include <optional>

namespace {

using toolkit::text;

// What the control shows as its caption: a button's or a label's text, a frame's title. A text
// box's text is its content, which the window's code changes, so it has none.
std::optional<QString> captionOf(const QWidget& widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(&widget))
        return frame->title();
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    return std::nullopt;
}

void verifyControl(const toolkit::Form& window, const toolkit::ControlLayout& row) {
    const QString name = text(row.name);
    QObject* object = window.object(row.name);
    QVERIFY2(object, qPrintable(name));
    QCOMPARE(object->objectName(), name);
    auto* widget = qobject_cast<QWidget*>(object);
    if (row.kind == toolkit::Kind::Timer) {
        QVERIFY(widget == nullptr);
        return;
    }
    QVERIFY2(widget, qPrintable(name));
    const QWidget* container = row.container.empty()
                                   ? static_cast<const QWidget*>(&window)
                                   : qobject_cast<QWidget*>(window.object(row.container));
    QCOMPARE(widget->parentWidget(), container);
    // Inside a panel, positions start within its border; in a frame, at its outer corner.
    const QPoint origin = dynamic_cast<const toolkit::PictureBox*>(container)
                              ? container->contentsRect().topLeft()
                              : QPoint();
    QCOMPARE(widget->pos(), origin + QPoint(toolkit::pixels(row.left), toolkit::pixels(row.top)));
    QCOMPARE(widget->height(), toolkit::pixels(row.height));
    // A caption too long for its box may take the free room beside it, never less.
    QVERIFY2(widget->width() >= toolkit::pixels(row.width), qPrintable(name));
    QVERIFY2(widget->geometry().right() <= container->width(), qPrintable(name));
    QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(name));
    // A control that a screen reader is told is a window frame makes it take the controls inside
    // for another window's.
    const QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
    QVERIFY2(spoken && spoken->role() != QAccessible::Border &&
                 spoken->role() != QAccessible::Window,
             qPrintable(name));
    if (!row.properties.tooltip.empty())
        QCOMPARE(widget->toolTip(), text(row.properties.tooltip));
    if (const std::optional<QString> caption = captionOf(*widget))
        QCOMPARE(*caption, text(row.caption));
}

} // namespace

void verifyLayoutFollowsTable(const toolkit::Form& window) {
    const toolkit::FormLayout& layout = window.layout();
    QCOMPARE(window.windowTitle(), text(layout.caption));
    const QSize client(toolkit::pixels(layout.client.width), toolkit::pixels(layout.client.height));
    QCOMPARE(window.size(), client);
    QCOMPARE(window.minimumSize() == window.maximumSize(),
             layout.border != toolkit::Border::Sizable);
    QCOMPARE(bool(window.windowFlags() & Qt::WindowMinimizeButtonHint), layout.minButton);
    QCOMPARE(bool(window.windowFlags() & Qt::WindowMaximizeButtonHint), layout.maxButton);
    QVERIFY(!window.windowIcon().isNull());
    if (const auto* stored = std::get_if<toolkit::StoredAt>(&layout.placement))
        QCOMPARE(window.geometry().topLeft(),
                 QPoint(toolkit::pixels(stored->left), toolkit::pixels(stored->top)));
    for (const toolkit::ControlLayout& row : layout.controls) {
        verifyControl(window, row);
        if (QTest::currentTestFailed())
            return;
    }
}

void verifyTabCycle(const QList<QWidget*>& expected) {
    QCOMPARE(QApplication::focusWidget(), expected.front());
    for (qsizetype step = 1; step <= expected.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), expected.at(step % expected.size()));
    }
}
