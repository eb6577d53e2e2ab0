#include "platform/toolkit/controls.h"

#include "platform/core/runtime_error.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/readable_colours.h"
#include "platform/toolkit/text_wrap.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmapCache>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <algorithm>
#include <limits>

namespace toolkit {

namespace {

void runFromUser(const Handler& handler) {
    if (handler)
        Program::instance().dispatch(handler);
}

void runFromCode(const Handler& handler) {
    if (handler)
        handler();
}

std::int16_t checkedInt16(int value, const char16_t* property) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        core::raise(core::ErrorCode::InvalidPropertyValue,
                    QStringLiteral("Valor de propriedade inválido: %1 = %2 não cabe em 16 bits.")
                        .arg(QString::fromUtf16(property))
                        .arg(value));
    return static_cast<std::int16_t>(value);
}

} // namespace

// --- Command button ---------------------------------------------------------------------------

CommandButton::CommandButton(QWidget* parent) : QPushButton(parent) {
    // Enter and Esc press no button: none is a default button.
    setAutoDefault(false);
    setDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { runFromUser(m_click); });
}

void CommandButton::setValue(bool pressed) {
    if (pressed)
        runFromCode(m_click);
}

// --- Option button ----------------------------------------------------------------------------

OptionButton::OptionButton(QWidget* parent) : QRadioButton(parent) {
    connect(this, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected && !m_settingFromCode)
            runFromUser(m_click);
    });
}

void OptionButton::setValue(bool selected) {
    if (selected == isChecked())
        return;
    if (!selected) {
        // An exclusive button cannot be cleared by itself.
        setAutoExclusive(false);
        setChecked(false);
        setAutoExclusive(true);
        return;
    }
    m_settingFromCode = true;
    setChecked(true);
    m_settingFromCode = false;
    runFromCode(m_click);
}

// --- Check box --------------------------------------------------------------------------------

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent) {
    setTristate(true);
}

int CheckBox::Value() const {
    switch (checkState()) {
    case Qt::Unchecked:
        return 0;
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    }
    return 0;
}

void CheckBox::setValue(int value) {
    static constexpr Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
    if (value < 0 || value > 2)
        core::raise(core::ErrorCode::InvalidPropertyValue,
                    QStringLiteral("Valor de propriedade inválido: uma caixa de seleção "
                                   "aceita 0, 1 ou 2, não %1.")
                        .arg(value));
    setCheckState(states[value]);
}

void CheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

// --- Text box ---------------------------------------------------------------------------------

TextBox::TextBox(QWidget* parent, bool multiLine) : QFrame(parent) {
    if (multiLine) {
        m_lines = new QPlainTextEdit(this);
        m_lines->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        m_lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_lines->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    } else {
        m_line = new QLineEdit(this);
    }
    setFocusProxy(editor());
}

QWidget* TextBox::editor() const {
    return m_lines ? static_cast<QWidget*>(m_lines) : static_cast<QWidget*>(m_line);
}

QString TextBox::Text() const {
    if (m_locked)
        return m_text;
    return m_lines ? m_lines->toPlainText() : m_line->text();
}

void TextBox::setText(const QString& text) {
    // A message put on display is often set again at once with the same text (the scroll bar's
    // change handler does it); laying it out twice would be the costliest step of a search.
    if (m_lines && m_locked && text == m_text) {
        m_lines->moveCursor(QTextCursor::Start);
        return;
    }
    m_text = text;
    if (m_lines) {
        const QTextOption::WrapMode wrap = wrapModeFor(text);
        if (wrap != m_lines->wordWrapMode()) {
            // A change of line breaking lays out again whatever is on display.
            m_lines->clear();
            m_lines->setWordWrapMode(wrap);
        }
        m_lines->setPlainText(text);
        m_lines->moveCursor(QTextCursor::Start);
    } else {
        m_line->setText(text);
        m_line->setCursorPosition(0);
    }
}

QString TextBox::SelText() const {
    return m_lines ? m_lines->textCursor().selection().toPlainText() : m_line->selectedText();
}

void TextBox::setLocked(bool locked) {
    m_text = Text();
    m_locked = locked;
    if (m_lines) {
        m_lines->setReadOnly(locked);
        // Read-only text can still be selected, copied and read out.
        if (locked)
            m_lines->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                             Qt::TextSelectableByKeyboard);
    } else {
        m_line->setReadOnly(locked);
    }
}

void TextBox::setAlignment(Qt::Alignment alignment) {
    if (m_line)
        m_line->setAlignment(alignment | Qt::AlignVCenter);
}

// A colour given for one of the two leaves the other to the desktop; together they must still
// be readable, so the text takes a readable shade of its hue where they are not.
void TextBox::setColours(const QColor& back, const QColor& fore) {
    if (!back.isValid() && !fore.isValid())
        return;
    QPalette colours = editor()->palette();
    if (back.isValid())
        colours.setColor(QPalette::Base, back);
    if (fore.isValid())
        colours.setColor(QPalette::Text, fore);
    colours.setColor(QPalette::Text,
                     readableOn(colours.color(QPalette::Base), colours.color(QPalette::Text)));
    editor()->setPalette(colours);
}

void TextBox::setFlat(bool flat) {
    if (!flat)
        return;
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    if (m_lines)
        m_lines->setFrameStyle(QFrame::NoFrame);
    else
        m_line->setFrame(false);
}

void TextBox::setAccessibleText(const QString& name) {
    setAccessibleName(name);
    editor()->setAccessibleName(name);
}

void TextBox::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    editor()->setGeometry(contentsRect());
}

// --- Labels -----------------------------------------------------------------------------------

Label::Label(QWidget* parent) : QLabel(parent) {
    // Labels wrap within their width, as the layouts were drawn.
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
}

// Qt's label breaks lines only between words and lets a longer word run past its right edge;
// this one breaks such a word where it meets the edge, as the message box on screen does.
void Label::paintEvent(QPaintEvent* event) {
    if (!wordWrap() || textFormat() != Qt::PlainText) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Normal : QPalette::Disabled, foregroundRole()));
    drawWrapped(painter, contentsRect(), text(),
                QStyle::visualAlignment(layoutDirection(), alignment()));
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        press();
}

void Label::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (focusPolicy() != Qt::NoFocus &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        press();
        return;
    }
    QLabel::keyPressEvent(event);
}

void Label::press() {
    runFromUser(m_click);
}

namespace {

// The program's own hand, pointing with its fingertip. The window system reads the hot spot in
// the drawing's own pixels, so the double drawing for HiDPI screens points from twice as far in.
QCursor handCursor() {
    using namespace Qt::StringLiterals;
    constexpr QPointF fingertip(12, 1);
    const QPixmap hand = picture(u":/imagens/cursor_mao.png"_s, qApp->devicePixelRatio());
    const QPoint hotSpot = (fingertip * hand.devicePixelRatio()).toPoint();
    return QCursor(hand, hotSpot.x(), hotSpot.y());
}

} // namespace

LinkLabel::LinkLabel(QWidget* parent) : Label(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(handCursor());
}

void LinkLabel::paintEvent(QPaintEvent* event) {
    Label::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect mark;
    mark.initFrom(this);
    // Styles draw the mark only after a key moved the focus; a link clicked and left focused,
    // or focused when its window opened, would then give no sign of what Enter will open.
    mark.state |= QStyle::State_KeyboardFocusChange;
    mark.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, mark);
}

// --- Containers and pictures ------------------------------------------------------------------

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

Image::Image(QWidget* parent) : QWidget(parent) {}

void Image::setPicture(const QString& resource, bool stretch, bool border) {
    m_resource = resource;
    m_stretch = stretch;
    m_border = border;
    update();
}

void Image::paintEvent(QPaintEvent*) {
    if (m_resource.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap pixmap = picture(m_resource, devicePixelRatioF());
    QRect area = rect();
    if (m_border) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        area.adjust(1, 1, -1, -1);
    }
    if (m_stretch)
        painter.drawPixmap(area, pixmap);
    else
        painter.drawPixmap(area.topLeft(), pixmap);
}

QPixmap picture(const QString& resource, qreal devicePixelRatio) {
    const QString key = resource + QLatin1Char('@') + QString::number(devicePixelRatio);
    QPixmap found;
    if (QPixmapCache::find(key, &found))
        return found;
    const qsizetype dot = resource.lastIndexOf(QLatin1Char('.'));
    const QString doubled = resource.left(dot) + QStringLiteral("@2x.png");
    if (devicePixelRatio > 1.0 && found.load(doubled)) {
        found.setDevicePixelRatio(2.0);
    } else {
        found.load(resource);
    }
    QPixmapCache::insert(key, found);
    return found;
}

// --- Horizontal scroll bar --------------------------------------------------------------------

HScrollBar::HScrollBar(QWidget* parent)
    : QWidget(parent), m_bar(new QScrollBar(Qt::Horizontal, this)) {
    m_bar->setTracking(true);
    m_bar->setSingleStep(1);
    m_bar->setPageStep(1);
    // Only the bar takes the focus: a proxy on this holder would stand in the tab chain where
    // the holder was created, ahead of the window's first control.
    m_bar->setFocusPolicy(Qt::StrongFocus);
    connect(m_bar, &QScrollBar::valueChanged, this, [this](int position) { userMoved(position); });
    connect(m_bar, &QScrollBar::sliderReleased, this, [this] { userReleased(); });
    m_bar->installEventFilter(this);
    showRange();
}

bool HScrollBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_bar && event->type() == QEvent::KeyPress &&
        stepTowardsArrow(*static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

// Qt's horizontal bar steps its keys the way its wheel turns, so Right would step back. Left and
// Right move the thumb the way they point; every other key, and an arrow with a modifier, is
// left to the bar and to whoever handles it above.
bool HScrollBar::stepTowardsArrow(const QKeyEvent& key) {
    const bool left = key.key() == Qt::Key_Left;
    if ((!left && key.key() != Qt::Key_Right) || (key.modifiers() & ~Qt::KeypadModifier))
        return false;
    // Right to left, the bar is drawn the other way round, its lowest value at the right end.
    const bool towardsLowest = left != m_bar->isRightToLeft();
    m_bar->triggerAction(towardsLowest ? QAbstractSlider::SliderSingleStepSub
                                       : QAbstractSlider::SliderSingleStepAdd);
    return true;
}

void HScrollBar::setAccessibleText(const QString& name) {
    setAccessibleName(name);
    m_bar->setAccessibleName(name);
}

void HScrollBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_bar->setGeometry(rect());
}

void HScrollBar::showRange() {
    const QSignalBlocker quiet(m_bar);
    m_bar->setRange(lowest(), highest());
    m_bar->setValue(m_value);
}

void HScrollBar::userMoved(int position) {
    m_value = static_cast<std::int16_t>(position);
    if (m_bar->isSliderDown()) {
        // The message follows the thumb; Change comes once, when it is let go.
        m_scrolledInDrag = true;
        runFromUser(m_scroll);
    } else {
        runFromUser(m_change);
    }
}

void HScrollBar::userReleased() {
    if (!m_scrolledInDrag)
        return;
    m_scrolledInDrag = false;
    runFromUser(m_change);
}

void HScrollBar::setMin(int min) {
    m_min = checkedInt16(min, u"Min");
    keepValueWithinRange();
}

void HScrollBar::setMax(int max) {
    m_max = checkedInt16(max, u"Max");
    keepValueWithinRange();
}

void HScrollBar::keepValueWithinRange() {
    setValue(std::clamp<int>(m_value, lowest(), highest()));
    showRange();
}

void HScrollBar::setValue(int value) {
    if (value < lowest() || value > highest())
        core::raise(core::ErrorCode::InvalidPropertyValue,
                    QStringLiteral("Valor de propriedade inválido: a barra de rolagem "
                                   "vai de %1 a %2 e não aceita %3.")
                        .arg(lowest())
                        .arg(highest())
                        .arg(value));
    if (value == m_value)
        return;
    m_value = static_cast<std::int16_t>(value);
    showRange();
    runFromCode(m_change);
}

// --- Timer ------------------------------------------------------------------------------------

Timer::Timer(QObject* parent) : QObject(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { runFromUser(m_tick); });
}

void Timer::setInterval(std::int64_t milliseconds) {
    if (milliseconds < 0 || milliseconds > std::numeric_limits<std::int32_t>::max())
        core::raise(core::ErrorCode::InvalidPropertyValue,
                    QStringLiteral("Valor de propriedade inválido: o temporizador aceita "
                                   "de 0 a 2147483647 milissegundos, não %1.")
                        .arg(milliseconds));
    m_interval = static_cast<std::int32_t>(milliseconds);
    restart();
}

void Timer::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restart();
}

void Timer::restart() {
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

// --- Spin control -----------------------------------------------------------------------------

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAccessibleName(QStringLiteral("Aumentar"));
    m_down->setAccessibleName(QStringLiteral("Diminuir"));
    for (QToolButton* arrow : {m_up, m_down}) {
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
    }
    setFocusPolicy(Qt::StrongFocus);
    connect(m_up, &QToolButton::clicked, this, [this] { stepUp(); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepDown(); });
}

void UpDown::setRange(int min, int max, int step) {
    m_min = min;
    m_max = max;
    m_step = step;
    m_value = std::clamp(m_value, m_min, m_max);
}

void UpDown::setValue(std::int64_t value) {
    if (value < m_min || value > m_max) {
        m_value = static_cast<std::int32_t>(std::clamp<std::int64_t>(value, m_min, m_max));
        return;
    }
    if (value == m_value)
        return;
    m_value = static_cast<std::int32_t>(value);
    runFromCode(m_change);
}

void UpDown::stepUp() {
    stepBy(1);
}

void UpDown::stepDown() {
    stepBy(-1);
}

void UpDown::stepBy(int steps) {
    moveTo(std::clamp(m_value + steps * m_step, m_min, m_max));
}

void UpDown::stepTo(std::int64_t value) {
    moveTo(static_cast<std::int32_t>(std::clamp<std::int64_t>(value, m_min, m_max)));
}

void UpDown::moveTo(std::int32_t next) {
    if (next == m_value)
        return;
    m_value = next;
    runFromUser(m_change);
}

void UpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up)
        stepUp();
    else if (event->key() == Qt::Key_Down)
        stepDown();
    else
        QWidget::keyPressEvent(event);
}

} // namespace toolkit
