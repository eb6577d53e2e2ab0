#pragma once

#include <QPalette>
#include <QRgb>
#include <QString>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

// A window is described by a table of controls with positions and sizes in twips, the unit the
// layouts were drawn in. The builder (form.h) turns the table into widgets; nothing else in the
// program places a control.
namespace toolkit {

inline constexpr int twipsPerPixel = 15;

// A caption, name or description of a table as Qt takes it.
inline QString text(std::u16string_view view) {
    return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
}

// Twips to logical pixels; Qt scales logical pixels for HiDPI screens.
constexpr int pixels(int twips) {
    return (twips >= 0 ? twips + twipsPerPixel / 2 : twips - twipsPerPixel / 2) / twipsPerPixel;
}

enum class Kind {
    CommandButton,
    OptionButton,
    CheckBox,
    TextBox,
    Label,
    LinkLabel,
    Frame,
    PictureBox,
    Image,
    HScrollBar,
    Timer,
    UpDown,
};

// The desktop's named colours, taken from the application palette when the window is built.
enum class SystemColour {
    ButtonFace,
    ScrollBars,
    WindowBackground,
    WindowText,
    TooltipBackground,
    TooltipText,
};

// No colour means the control keeps the look of its kind.
using Colour = std::variant<std::monostate, QRgb, SystemColour>;

struct Font {
    std::u16string_view family;
    double points = 8.25;
    bool bold = false;
    bool underline = false;
};

enum class Align { Left, Centre, Right };

// Everything a control may carry besides its place. Designated initialisers keep each table row
// to the properties that row really sets.
struct Properties {
    std::u16string_view tooltip = {};
    std::optional<Font> font = {};
    Colour back = {};
    Colour fore = {};
    // Text boxes: several lines, read-only, not reached by Tab, drawn without the sunken edge.
    bool multiLine = false;
    bool locked = false;
    bool tabStop = true;
    bool flat = false;
    Align alignment = Align::Left;
    bool transparent = false;
    // Option buttons selected and check boxes checked when the window is built.
    bool value = false;
    // Images: the resource drawn, stretched to the control or at its own size; a single border.
    std::u16string_view picture = {};
    bool stretch = false;
    bool border = false;
    // Scroll bars and spin controls.
    int min = 0;
    int max = 32767;
    int initial = 0;
    // Timers.
    int interval = 0;
    // What a screen reader says for a control without a caption of its own.
    std::u16string_view description = {};
};

struct ControlLayout {
    // Members of a control array carry their index in the name: "Label1(0)".
    std::u16string_view name;
    Kind kind;
    // Empty for the window itself.
    std::u16string_view container;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // -1 for controls that never take the focus.
    int tabIndex = -1;
    std::u16string_view caption = {};
    Properties properties = {};
};

enum class Border {
    None,        // a page that is never shown
    FixedSingle, // fixed size, the title-bar buttons the layout asks for
    Sizable,
};

struct Centred {};
struct StoredAt {
    int left = 0;
    int top = 0;
};
using Placement = std::variant<Centred, StoredAt>;

struct ClientSize {
    int width = 0;
    int height = 0;
};

struct FormLayout {
    std::u16string_view name;
    std::u16string_view caption;
    ClientSize client;
    Placement placement = Centred{};
    Border border = Border::FixedSingle;
    bool minButton = true;
    bool maxButton = true;
    std::u16string_view icon = {};
    Colour back = {};
    std::optional<Font> font = {};
    std::vector<ControlLayout> controls;
};

} // namespace toolkit
