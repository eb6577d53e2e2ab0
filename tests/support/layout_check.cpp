#include "support/layout_check.h"

#include "platform/toolkit/form.h"

#include <QTest>

namespace {

QString text(std::u16string_view view) {
    return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
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
    if (!row.properties.tooltip.empty())
        QCOMPARE(widget->toolTip(), text(row.properties.tooltip));
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
    for (const toolkit::ControlLayout& row : layout.controls) {
        verifyControl(window, row);
        if (QTest::currentTestFailed())
            return;
    }
}
