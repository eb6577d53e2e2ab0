#include "support/layout_check.h"

#include "platform/toolkit/form.h"

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
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

// What a kind of control promises besides its place: a scroll bar or spin control's range, a
// label's text on one line, a link underlined and pointed at with the program's own hand (its
// colour is the colours test's).
void verifyKindLook(const QWidget& widget, const toolkit::ControlLayout& row) {
    if (const auto* bar = dynamic_cast<const toolkit::HScrollBar*>(&widget))
        QCOMPARE(int(bar->Min()), row.properties.min);
    if (const auto* spin = dynamic_cast<const toolkit::UpDown*>(&widget)) {
        QCOMPARE(spin->Min(), row.properties.min);
        QCOMPARE(spin->Max(), row.properties.max);
    }
    const auto* label = qobject_cast<const QLabel*>(&widget);
    if (label == nullptr)
        return;
    QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
             qPrintable(label->objectName()));
    if (row.kind != toolkit::Kind::LinkLabel)
        return;
    QVERIFY(label->font().underline());
    QCOMPARE(label->cursor().shape(), Qt::BitmapCursor);
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
    if (const std::optional<QString> caption = captionOf(*widget)) {
        QCOMPARE(*caption, text(row.caption));
        if (!caption->isEmpty())
            QCOMPARE(widget->accessibleName(), toolkit::withoutMnemonics(*caption));
    }
    verifyKindLook(*widget, row);
    // The control under its centre is itself: no panel, frame or picture hides it.
    if (!dynamic_cast<const toolkit::Frame*>(widget) &&
        !dynamic_cast<const toolkit::PictureBox*>(widget) &&
        !dynamic_cast<const toolkit::Image*>(widget)) {
        const QWidget* shown = window.childAt(widget->mapTo(&window, widget->rect().center()));
        while (shown != nullptr && shown != widget)
            shown = shown->parentWidget();
        QVERIFY2(shown == widget, qPrintable(name));
    }
}

bool isTabStop(const toolkit::Form& window, const toolkit::ControlLayout& row) {
    using toolkit::Kind;
    static constexpr Kind neverFocused[] = {Kind::Label, Kind::Frame, Kind::PictureBox, Kind::Image,
                                            Kind::Timer};
    if (row.tabIndex < 0 || !row.properties.tabStop ||
        std::ranges::find(neverFocused, row.kind) != std::end(neverFocused))
        return false;
    const auto* widget = qobject_cast<const QWidget*>(window.object(row.name));
    if (!widget->isVisibleTo(&window))
        return false;
    const auto* option = qobject_cast<const QRadioButton*>(widget);
    return option == nullptr || option->isChecked();
}

// The control the focus widget belongs to: a text box's editor or a scroll bar's slider are
// parts of a named control.
QString controlOf(const QWidget* focused) {
    while (focused != nullptr && focused->objectName().isEmpty())
        focused = focused->parentWidget();
    return focused == nullptr ? QString() : focused->objectName();
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

void verifyTabOrderFollowsTable(const toolkit::Form& window) {
    std::vector<const toolkit::ControlLayout*> stops;
    for (const toolkit::ControlLayout& row : window.layout().controls)
        if (isTabStop(window, row))
            stops.push_back(&row);
    std::ranges::sort(stops, {}, &toolkit::ControlLayout::tabIndex);
    QVERIFY(!stops.empty());
    QStringList expected;
    for (const toolkit::ControlLayout* row : stops)
        expected << text(row->name);
    QStringList visited{controlOf(QApplication::focusWidget())};
    for (qsizetype step = 1; step <= expected.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << controlOf(QApplication::focusWidget());
    }
    QCOMPARE(visited, expected + QStringList{expected.front()});
}
