#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <functional>

class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

// The controls a window is built from, with the event rules the window code relies on:
// a change made from code runs its handler before the assignment returns, inside the handler
// that made it; a change made by the user runs its handler through Program::dispatch.
namespace toolkit {

using Handler = std::function<void()>;

class CommandButton : public QPushButton {
public:
    explicit CommandButton(QWidget* parent);
    void onClick(Handler handler) { m_click = std::move(handler); }
    // Value = True: the Click handler runs before this returns.
    void setValue(bool pressed);

private:
    Handler m_click;
};

class OptionButton : public QRadioButton {
public:
    explicit OptionButton(QWidget* parent);
    void onClick(Handler handler) { m_click = std::move(handler); }
    bool Value() const { return isChecked(); }
    // Selecting clears the other option buttons of the same container; a change of selection
    // runs Click at once.
    void setValue(bool selected);

private:
    Handler m_click;
    bool m_settingFromCode = false;
};

// 0 unchecked, 1 checked, 2 grey. The user only ever moves between 0 and 1.
class CheckBox : public QCheckBox {
public:
    explicit CheckBox(QWidget* parent);
    int Value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
};

class TextBox : public QFrame {
public:
    TextBox(QWidget* parent, bool multiLine);
    // The text exactly as last set, unless the user has typed into it since.
    QString Text() const;
    void setText(const QString& text);
    // The selected part of the text, empty when nothing is selected.
    QString SelText() const;
    void setLocked(bool locked);
    void setAlignment(Qt::Alignment alignment);
    void setColours(const QColor& back, const QColor& fore);
    void setFlat(bool flat);
    void setAccessibleText(const QString& name);
    QWidget* editor() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* m_line = nullptr;
    QPlainTextEdit* m_lines = nullptr;
    QString m_text;
    bool m_locked = false;
};

class Label : public QLabel {
public:
    explicit Label(QWidget* parent);
    void onClick(Handler handler) { m_click = std::move(handler); }
    void setCaption(const QString& caption) { setText(caption); }
    // What a click does, for the keyboard and for screen readers.
    void press();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Handler m_click;
};

// A label that opens something: reachable with Tab and pressed with Enter or Space as well, and
// marked while it has the focus, however it got it.
class LinkLabel : public Label {
public:
    explicit LinkLabel(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class Frame : public QGroupBox {
public:
    explicit Frame(QWidget* parent) : QGroupBox(parent) {}
};

// A panel that holds other controls; their positions start inside its border.
class PictureBox : public QFrame {
public:
    explicit PictureBox(QWidget* parent);
};

class Image : public QWidget {
public:
    explicit Image(QWidget* parent);
    void setPicture(const QString& resource, bool stretch, bool border);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_resource;
    bool m_stretch = false;
    bool m_border = false;
};

// A horizontal scroll bar holding a 16-bit range and value of its own. Qt's scroll bar inside
// only shows them and reports the user's moves, so nothing can change its range behind the
// control's back.
class HScrollBar : public QWidget {
public:
    explicit HScrollBar(QWidget* parent);
    void onChange(Handler handler) { m_change = std::move(handler); }
    void onScroll(Handler handler) { m_scroll = std::move(handler); }

    std::int16_t Min() const { return m_min; }
    std::int16_t Max() const { return m_max; }
    std::int16_t Value() const { return m_value; }
    void setMin(int min);
    // Lowering Max below Value brings Value down to it, which is a change.
    void setMax(int max);
    // A value outside Min..Max is an invalid property value. A new value runs Change at once.
    void setValue(int value);

    void setAccessibleText(const QString& name);

    // The bar the user moves: what takes the focus, the keys and the screen reader's questions.
    QScrollBar* slider() const { return m_bar; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Min may lie above Max; the values allowed lie between the two either way.
    int lowest() const { return std::min(m_min, m_max); }
    int highest() const { return std::max(m_min, m_max); }
    void keepValueWithinRange();
    void showRange();
    bool stepTowardsArrow(const QKeyEvent& key);
    void userMoved(int position);
    void userReleased();

    QScrollBar* m_bar;
    Handler m_change;
    Handler m_scroll;
    std::int16_t m_min = 0;
    std::int16_t m_max = 32767;
    std::int16_t m_value = 0;
    bool m_scrolledInDrag = false;
};

class Timer : public QObject {
public:
    explicit Timer(QObject* parent);
    void onTimer(Handler handler) { m_tick = std::move(handler); }
    std::int32_t Interval() const { return m_interval; }
    bool Enabled() const { return m_enabled; }
    // 0 to 2147483647 ms; 0 never fires. Setting it starts the count again.
    void setInterval(std::int64_t milliseconds);
    void setEnabled(bool enabled);
    bool isRunning() const { return m_timer.isActive(); }

private:
    void restart();

    QTimer m_timer;
    Handler m_tick;
    std::int32_t m_interval = 0;
    bool m_enabled = true;
};

// Up and down arrows that step a number within a range; the number is shown elsewhere.
class UpDown : public QWidget {
public:
    explicit UpDown(QWidget* parent);
    void onChange(Handler handler) { m_change = std::move(handler); }
    std::int32_t Value() const { return m_value; }
    // A new value within the range runs Change at once. A value outside the range takes the
    // nearest end of it quietly, so that whatever shows the number keeps what it was given.
    void setValue(std::int64_t value);
    void setRange(int min, int max, int step);
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    // What the arrows do: a step, as the user's own change.
    void stepUp();
    void stepDown();
    void stepTo(std::int64_t value);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void stepBy(int steps);
    void moveTo(std::int32_t next);

    QToolButton* m_up;
    QToolButton* m_down;
    Handler m_change;
    std::int32_t m_value = 0;
    int m_min = 0;
    int m_max = 100;
    int m_step = 1;
};

// A picture from the program's resources, the @2x drawing on screens that have the pixels.
QPixmap picture(const QString& resource, qreal devicePixelRatio);

} // namespace toolkit
