#pragma once

#include "platform/toolkit/controls.h"
#include "platform/toolkit/layout.h"
#include "platform/toolkit/services.h"

#include <QIcon>
#include <QWidget>
#include <map>

namespace toolkit {

// A top-level window built from its layout table. It is a plain widget, not a dialog, so Enter
// and Esc press no button; it has no owner, so every window stands on its own on the desktop.
class Form : public QWidget {
public:
    explicit Form(const FormLayout& layout);

    const FormLayout& layout() const { return m_layout; }

    // What runs when the form is loaded and unloaded; nothing unless a window says otherwise.
    virtual void Form_Load() {}
    virtual void Form_Unload() {}

    // Shows the window without making it modal, or brings it forward when already shown.
    void Show();
    // Runs Form_Unload, then destroys the window; the next use builds it afresh.
    void Unload();
    // Prints the window's image on the default printer, shown or not; why it could not, or
    // nothing.
    Failure PrintForm();

    // A control of the table by its name, of the kind the table gives it. A name the table does
    // not hold, or holds for another kind, is the program's own fault: a run-time error naming
    // the form and the control, in every build, when the window binds its controls.
    template <typename Control> Control& control(std::u16string_view name) const {
        QObject* named = object(name);
        if (auto* found = dynamic_cast<Control*>(named))
            return *found;
        reportUnboundControl(name, named != nullptr);
    }
    CommandButton& button(std::u16string_view name) const { return control<CommandButton>(name); }
    OptionButton& option(std::u16string_view name) const { return control<OptionButton>(name); }
    CheckBox& checkBox(std::u16string_view name) const { return control<CheckBox>(name); }
    TextBox& textBox(std::u16string_view name) const { return control<TextBox>(name); }
    Label& label(std::u16string_view name) const { return control<Label>(name); }
    HScrollBar& scrollBar(std::u16string_view name) const { return control<HScrollBar>(name); }
    Timer& timer(std::u16string_view name) const { return control<Timer>(name); }
    UpDown& upDown(std::u16string_view name) const { return control<UpDown>(name); }

    // The widget, or the timer, of a control; null for a name the table does not hold.
    QObject* object(std::u16string_view name) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    [[noreturn]] void reportUnboundControl(std::u16string_view name, bool ofAnotherKind) const;
    void applyWindowProperties();
    void place();
    void buildControls();
    QObject* create(const ControlLayout& row, QWidget* container);
    void arrangeStacking();
    void chainTabOrder();

    const FormLayout& m_layout;
    std::map<std::u16string_view, QObject*> m_controls;
    bool m_placed = false;
    bool m_unloading = false;
};

// A window icon from the program's pictures (32 x 32), with its larger drawings where they exist.
QIcon iconOf(std::u16string_view name);

// The caption as a screen reader says it: no "&" marks, "&&" read as one "&".
QString withoutMnemonics(std::u16string_view caption);
QString withoutMnemonics(const QString& caption);

} // namespace toolkit
