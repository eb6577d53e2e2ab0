#include "platform/toolkit/accessibility.h"

#include "platform/toolkit/controls.h"

#include <QAccessibleWidget>

namespace toolkit {

namespace {

class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(LinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && !widget()->accessibleName().isEmpty())
            return widget()->accessibleName();
        if (kind == QAccessible::Name || kind == QAccessible::Value)
            return static_cast<LinkLabel*>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            static_cast<LinkLabel*>(widget())->press();
    }
};

class UpDownAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit UpDownAccessible(UpDown* spin) : QAccessibleWidget(spin, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return QString::number(spin().Value());
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return {increaseAction(), decreaseAction()}; }
    void doAction(const QString& action) override {
        if (action == increaseAction())
            spin().stepUp();
        else if (action == decreaseAction())
            spin().stepDown();
    }

    QVariant currentValue() const override { return spin().Value(); }
    void setCurrentValue(const QVariant& value) override { spin().stepTo(value.toInt()); }
    QVariant maximumValue() const override { return spin().Max(); }
    QVariant minimumValue() const override { return spin().Min(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    UpDown& spin() const { return *static_cast<UpDown*>(widget()); }
};

QAccessibleInterface* describe(const QString&, QObject* object) {
    if (auto* link = dynamic_cast<LinkLabel*>(object))
        return new LinkAccessible(link);
    if (auto* spin = dynamic_cast<UpDown*>(object))
        return new UpDownAccessible(spin);
    // Qt describes a plain frame as a border, which reaches AT-SPI as a window frame: a screen
    // reader then takes the controls inside a text box or a picture box for another window's,
    // and follows neither their focus nor their changes.
    if (dynamic_cast<TextBox*>(object) || dynamic_cast<PictureBox*>(object))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Pane);
    return nullptr;
}

} // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(describe);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace toolkit
