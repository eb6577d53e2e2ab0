#pragma once

#include <QStringView>

// How much of a message the main window's message box shows at once, in characters, so that
// tools without a screen can tell when a message will not show whole. Ordinary Portuguese text
// in the box's font averages about this many characters a line; a test holds the figures to the
// real box.
namespace data {

inline constexpr int messageBoxColumns = 56;
inline constexpr int messageBoxLines = 12;

// The lines the text takes when each of its lines is wrapped at blanks to messageBoxColumns
// characters (a longer word is cut, as the box cuts it).
int messageBoxLineCount(QStringView text);

bool fitsMessageBox(QStringView text);

} // namespace data
