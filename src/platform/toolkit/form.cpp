#include "platform/toolkit/form.h"

#include "platform/core/runtime_error.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/readable_colours.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHash>
#include <QIcon>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace toolkit {

namespace {

QString resourcePath(std::u16string_view name) {
    return QStringLiteral(":/imagens/") + text(name);
}

QColor colourOf(const Colour& colour) {
    if (const auto* rgb = std::get_if<QRgb>(&colour))
        return QColor::fromRgb(*rgb);
    const auto* named = std::get_if<SystemColour>(&colour);
    if (named == nullptr)
        return {};
    const QPalette palette = QApplication::palette();
    switch (*named) {
    case SystemColour::ButtonFace:
        return palette.color(QPalette::Button);
    case SystemColour::ScrollBars:
        return palette.color(QPalette::Midlight);
    case SystemColour::WindowBackground:
        return palette.color(QPalette::Base);
    case SystemColour::WindowText:
        return palette.color(QPalette::Text);
    case SystemColour::TooltipBackground:
        return palette.color(QPalette::ToolTipBase);
    case SystemColour::TooltipText:
        return palette.color(QPalette::ToolTipText);
    }
    return {};
}

// The layouts name the old Windows faces. Their metric twin, from fonts-liberation, keeps each
// text inside the box drawn for it; naming it directly spares Qt a fallback search per font.
QString installedFamily(std::u16string_view family) {
    if (family == u"Arial" || family == u"MS Sans Serif")
        return QStringLiteral("Liberation Sans");
    return text(family);
}

// The layouts were drawn at 96 dots per inch; sizing fonts in pixels keeps each text inside the
// box drawn for it whatever the desktop's font resolution, and Qt scales both on HiDPI screens.
QFont fontOf(const Font& font) {
    QFont result(installedFamily(font.family));
    result.setStyleHint(QFont::SansSerif);
    result.setPixelSize(qRound(font.points * 96.0 / 72.0));
    result.setBold(font.bold);
    result.setUnderline(font.underline);
    return result;
}

} // namespace

// The 32 x 32 drawing and its double for HiDPI title bars; the larger ones are for the desktop's
// menus, which read them from the installed icon theme. Qt decodes every file added to an icon,
// so each icon is built once.
QIcon iconOf(std::u16string_view name) {
    static QHash<QString, QIcon> built;
    const QString file = resourcePath(name);
    if (const auto found = built.constFind(file); found != built.constEnd())
        return *found;
    QIcon icon(file);
    const QString base = file.left(file.lastIndexOf(QLatin1Char('.')));
    for (const char16_t* doubled : {u"@2x.png", u"_64.png"}) {
        const QString candidate = base + QString::fromUtf16(doubled);
        if (QFile::exists(candidate))
            icon.addFile(candidate);
    }
    built.insert(file, icon);
    return icon;
}

namespace {

Qt::Alignment alignmentOf(Align align) {
    switch (align) {
    case Align::Left:
        return Qt::AlignLeft;
    case Align::Centre:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    }
    return Qt::AlignLeft;
}

// A colour of the table stands beside one of the desktop's, and the pair may be unreadable on a
// desktop of other colours than the layout was drawn on: then the text takes `preferred`, or
// a readable shade of its own hue.
void keepTextReadable(QPalette& colours, QPalette::ColorRole text, QPalette::ColorRole ground,
                      const QColor& preferred) {
    colours.setColor(text, readableOn(colours.color(ground), colours.color(text), preferred));
}

void paintBackground(QWidget& widget, const QColor& back, const QColor& fore,
                     const QColor& preferredFore = {}) {
    if (!back.isValid() && !fore.isValid())
        return;
    QPalette colours = widget.palette();
    if (back.isValid()) {
        colours.setColor(QPalette::Window, back);
        colours.setColor(QPalette::Button, back);
        widget.setAutoFillBackground(true);
    }
    if (fore.isValid()) {
        colours.setColor(QPalette::WindowText, fore);
        colours.setColor(QPalette::ButtonText, fore);
    }
    keepTextReadable(colours, QPalette::WindowText, QPalette::Window, preferredFore);
    keepTextReadable(colours, QPalette::ButtonText, QPalette::Button, preferredFore);
    widget.setPalette(colours);
}

// A button draws its picture beside the caption only where both fit; the caption comes first.
void showPictureIfRoom(CommandButton& button, const QString& resource) {
    constexpr int pictureSize = 16;
    constexpr int spacingAndMargins = 4 + 12;
    const QString caption = withoutMnemonics(button.text());
    const int needed =
        button.fontMetrics().horizontalAdvance(caption) + pictureSize + spacingAndMargins;
    if (needed > button.width())
        return;
    button.setIcon(QIcon(resource));
    button.setIconSize(QSize(pictureSize, pictureSize));
}

// Captions were measured in the old bitmap sans, which is narrower than any outline face. A
// caption that would be cut off is drawn condensed, down to three quarters of its width.
bool condenseToFit(QWidget& widget, const QString& caption, int room) {
    constexpr int narrowest = 75;
    const int needed = widget.fontMetrics().horizontalAdvance(caption);
    if (needed <= room)
        return true;
    QFont font = widget.font();
    font.setStretch(std::max(narrowest, 100 * room / needed));
    widget.setFont(font);
    return widget.fontMetrics().horizontalAdvance(caption) <= room;
}

// The last resort: a smaller size, never below what stays readable.
void shrinkToFit(QWidget& widget, const QString& caption, int room) {
    constexpr int smallestPixels = 9;
    QFont font = widget.font();
    while (widget.fontMetrics().horizontalAdvance(caption) > room &&
           font.pixelSize() > smallestPixels) {
        font.setPixelSize(font.pixelSize() - 1);
        widget.setFont(font);
    }
}

// A button whose caption does not fit even condensed takes the free room up to its
// container's edge before it takes a smaller size.
void fitCaption(QAbstractButton& button, int indicator) {
    const QString caption = withoutMnemonics(button.text());
    if (condenseToFit(button, caption, button.width() - indicator))
        return;
    if (const QWidget* container = button.parentWidget()) {
        const int edge = container->contentsRect().right() - 1;
        button.resize(std::max(button.width(), edge - button.x()), button.height());
    }
    shrinkToFit(button, caption, button.width() - indicator);
}

// A label drawn one line high keeps its caption on one line; the control beside it leaves no
// room to grow into.
void fitOneLineLabel(QLabel& label) {
    const QString caption = label.text();
    if (caption.isEmpty() || caption.contains(u'\n') ||
        label.height() >= 2 * label.fontMetrics().height())
        return;
    // Word wrapping breaks a line that fits to the pixel; one line needs none.
    label.setWordWrap(false);
    const int room = label.contentsRect().width();
    if (!condenseToFit(label, caption, room))
        shrinkToFit(label, caption, room);
}

int indicatorWidth(const QAbstractButton& button) {
    const QStyle* style = button.style();
    if (dynamic_cast<const QRadioButton*>(&button))
        return style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, &button) +
               style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, &button);
    if (dynamic_cast<const QCheckBox*>(&button))
        return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &button) +
               style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, &button);
    return 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) + 4;
}

bool takesFocus(Kind kind) {
    switch (kind) {
    case Kind::CommandButton:
    case Kind::OptionButton:
    case Kind::CheckBox:
    case Kind::TextBox:
    case Kind::LinkLabel:
    case Kind::HScrollBar:
    case Kind::UpDown:
        return true;
    default:
        return false;
    }
}

bool liesBeneath(Kind kind) {
    return kind == Kind::Frame || kind == Kind::PictureBox || kind == Kind::Image;
}

// Where a container's children are measured from: inside a picture box's border, from a
// frame's outer corner.
QPoint clientOrigin(QWidget* container) {
    if (auto* panel = dynamic_cast<PictureBox*>(container))
        return panel->contentsRect().topLeft();
    return {};
}

template <typename Button> QWidget* captioned(QWidget* container, const ControlLayout& row) {
    auto* button = new Button(container);
    button->setText(text(row.caption));
    return button;
}

QWidget* makeTextBox(QWidget* container, const ControlLayout& row) {
    const Properties& p = row.properties;
    auto* box = new TextBox(container, p.multiLine);
    box->setText(text(row.caption));
    box->setLocked(p.locked);
    box->setAlignment(alignmentOf(p.alignment));
    box->setFlat(p.flat);
    box->setColours(colourOf(p.back), colourOf(p.fore));
    if (!p.tabStop)
        box->editor()->setFocusPolicy(Qt::ClickFocus);
    return box;
}

QWidget* makeLabel(QWidget* container, const ControlLayout& row) {
    Label* label = row.kind == Kind::Label ? new Label(container) : new LinkLabel(container);
    label->setCaption(text(row.caption));
    label->setAlignment(alignmentOf(row.properties.alignment) | Qt::AlignTop);
    return label;
}

QWidget* makeScrollBar(QWidget* container, const Properties& p) {
    auto* bar = new HScrollBar(container);
    bar->setMin(p.min);
    bar->setMax(p.max);
    bar->setValue(p.initial);
    return bar;
}

QWidget* makeUpDown(QWidget* container, const Properties& p) {
    auto* spin = new UpDown(container);
    spin->setRange(p.min, p.max, 1);
    spin->setValue(p.initial);
    return spin;
}

QWidget* makeImage(QWidget* container, const Properties& p) {
    auto* image = new Image(container);
    if (!p.picture.empty())
        image->setPicture(resourcePath(p.picture), p.stretch, p.border);
    return image;
}

// The widget of a control with what its kind takes from the table; handlers come later, so
// nothing set here runs one.
QWidget* makeWidget(const ControlLayout& row, QWidget* container) {
    const Properties& p = row.properties;
    switch (row.kind) {
    case Kind::CommandButton:
        return captioned<CommandButton>(container, row);
    case Kind::OptionButton: {
        auto* option = static_cast<OptionButton*>(captioned<OptionButton>(container, row));
        option->setChecked(p.value);
        return option;
    }
    case Kind::CheckBox: {
        auto* check = static_cast<CheckBox*>(captioned<CheckBox>(container, row));
        check->setValue(p.value ? 1 : 0);
        return check;
    }
    case Kind::TextBox:
        return makeTextBox(container, row);
    case Kind::Label:
    case Kind::LinkLabel:
        return makeLabel(container, row);
    case Kind::Frame: {
        auto* frame = new Frame(container);
        frame->setTitle(text(row.caption));
        return frame;
    }
    case Kind::PictureBox:
        return new PictureBox(container);
    case Kind::Image:
        return makeImage(container, p);
    case Kind::HScrollBar:
        return makeScrollBar(container, p);
    case Kind::UpDown:
        return makeUpDown(container, p);
    case Kind::Timer:
        break;
    }
    Q_UNREACHABLE();
}

void position(QWidget& widget, const ControlLayout& row, QWidget* container) {
    const QPoint origin = clientOrigin(container);
    widget.setGeometry(origin.x() + pixels(row.left), origin.y() + pixels(row.top),
                       pixels(row.width), pixels(row.height));
}

// Tooltip, font, colours, the name a screen reader says, and whether Tab stops there.
void dress(QWidget& widget, const ControlLayout& row) {
    const Properties& p = row.properties;
    if (!p.tooltip.empty())
        widget.setToolTip(text(p.tooltip));
    if (p.font)
        widget.setFont(fontOf(*p.font));
    if (auto* button = dynamic_cast<QAbstractButton*>(&widget))
        fitCaption(*button, indicatorWidth(*button));
    if (auto* label = dynamic_cast<Label*>(&widget))
        fitOneLineLabel(*label);
    if (auto* button = dynamic_cast<CommandButton*>(&widget); button && !p.picture.empty())
        showPictureIfRoom(*button, resourcePath(p.picture));
    // A link that cannot keep its own colour looks like the desktop's links, if those can be read.
    const QColor preferredFore =
        row.kind == Kind::LinkLabel ? QApplication::palette().color(QPalette::Link) : QColor();
    if (row.kind != Kind::TextBox)
        paintBackground(widget, p.transparent ? QColor() : colourOf(p.back), colourOf(p.fore),
                        preferredFore);
    const QString spoken =
        p.description.empty() ? withoutMnemonics(row.caption) : text(p.description);
    if (auto* box = dynamic_cast<TextBox*>(&widget))
        box->setAccessibleText(spoken);
    else if (auto* bar = dynamic_cast<HScrollBar*>(&widget))
        bar->setAccessibleText(spoken);
    else
        widget.setAccessibleName(spoken);
    if (!takesFocus(row.kind))
        widget.setFocusPolicy(Qt::NoFocus);
}

} // namespace

QString withoutMnemonics(const QString& caption) {
    return withoutMnemonics(
        std::u16string_view(reinterpret_cast<const char16_t*>(caption.utf16()), caption.size()));
}

QString withoutMnemonics(std::u16string_view caption) {
    QString plain;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        plain.append(QChar(caption[i]));
    }
    return plain;
}

Form::Form(const FormLayout& layout) : QWidget(nullptr), m_layout(layout) {
    applyWindowProperties();
    buildControls();
    arrangeStacking();
    chainTabOrder();
}

void Form::applyWindowProperties() {
    setObjectName(text(m_layout.name));
    setWindowTitle(text(m_layout.caption));
    setAccessibleName(text(m_layout.caption));
    Qt::WindowFlags flags = Qt::Window;
    if (m_layout.border == Border::None) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint;
        if (m_layout.minButton)
            flags |= Qt::WindowMinimizeButtonHint;
        if (m_layout.maxButton)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    setWindowFlags(flags);
    const QSize client(pixels(m_layout.client.width), pixels(m_layout.client.height));
    if (m_layout.border == Border::Sizable)
        resize(client);
    else
        setFixedSize(client);
    if (!m_layout.icon.empty())
        setWindowIcon(iconOf(m_layout.icon));
    setFont(fontOf(m_layout.font.value_or(Font{u"MS Sans Serif", 8.25})));
    paintBackground(*this, colourOf(m_layout.back), {});
    // A stored position is where the client area goes; the title bar lies above it.
    if (const auto* stored = std::get_if<StoredAt>(&m_layout.placement)) {
        setGeometry(pixels(stored->left), pixels(stored->top), client.width(), client.height());
        m_placed = true;
    }
}

void Form::place() {
    if (m_placed)
        return;
    m_placed = true;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void Form::buildControls() {
    for (const ControlLayout& row : m_layout.controls) {
        QWidget* container = this;
        if (!row.container.empty())
            container = qobject_cast<QWidget*>(object(row.container));
        Q_ASSERT_X(container, "Form::buildControls", "a container must come before its controls");
        QObject* created = create(row, container);
        created->setObjectName(text(row.name));
        m_controls.emplace(row.name, created);
    }
}

QObject* Form::create(const ControlLayout& row, QWidget* container) {
    if (row.kind == Kind::Timer) {
        auto* timer = new Timer(this);
        timer->setInterval(row.properties.interval);
        return timer;
    }
    QWidget* widget = makeWidget(row, container);
    position(*widget, row, container);
    dress(*widget, row);
    return widget;
}

void Form::arrangeStacking() {
    // Panels, frames and pictures are the background the other controls are drawn on.
    for (auto row = m_layout.controls.rbegin(); row != m_layout.controls.rend(); ++row)
        if (liesBeneath(row->kind))
            static_cast<QWidget*>(object(row->name))->lower();
}

void Form::chainTabOrder() {
    std::vector<const ControlLayout*> order;
    for (const ControlLayout& row : m_layout.controls)
        if (takesFocus(row.kind) && row.tabIndex >= 0 && row.properties.tabStop)
            order.push_back(&row);
    std::ranges::sort(order, {}, &ControlLayout::tabIndex);
    QWidget* first = nullptr;
    QWidget* previous = nullptr;
    for (const ControlLayout* row : order) {
        auto* widget = static_cast<QWidget*>(object(row->name));
        if (auto* box = dynamic_cast<TextBox*>(widget))
            widget = box->editor();
        else if (auto* bar = dynamic_cast<HScrollBar*>(widget))
            widget = bar->slider();
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        else
            first = widget;
        previous = widget;
    }
    // The chain is a ring, and Qt would start it at whichever control was created first; the
    // window opens with the focus on the lowest tab index instead.
    if (first != nullptr)
        first->setFocus();
}

void Form::reportUnboundControl(std::u16string_view name, bool ofAnotherKind) const {
    const QString control = text(name);
    const QString form = text(m_layout.name);
    core::raise(core::ErrorCode::InternalError,
                ofAnotherKind
                    ? QStringLiteral("O controle \"%1\" do formulário %2 não é do tipo que o "
                                     "programa espera.")
                          .arg(control, form)
                    : QStringLiteral("O formulário %1 não tem nenhum controle chamado \"%2\".")
                          .arg(form, control));
}

QObject* Form::object(std::u16string_view name) const {
    const auto found = m_controls.find(name);
    return found == m_controls.end() ? nullptr : found->second;
}

void Form::Show() {
    if (isVisible()) {
        // Brought forward means seen: a window left minimized comes back first.
        if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
    } else {
        place();
        show();
    }
    activateWindow();
}

void Form::Unload() {
    Form_Unload();
    Program::instance().forget(*this);
    m_unloading = true;
    hide();
    deleteLater();
}

Failure Form::PrintForm() {
    return Program::instance().services().printPage(*this);
}

void Form::closeEvent(QCloseEvent* event) {
    if (m_unloading) {
        event->accept();
        return;
    }
    // The title bar's close box unloads the window like its own close button would.
    event->ignore();
    Program::instance().dispatch([this] { Unload(); });
}

} // namespace toolkit
