#pragma once

#include "platform/card/card_content.h"

#include <QByteArray>

class QCoreApplication;

// Qt Gui doubles the time a command takes to start, so quelmar-frase loads the drawing code
// from this module, in a folder of the program's folder, and only when asked for a card. The
// folder keeps the package's library-cache trigger away: a shared object directly in a folder
// of /usr/lib makes the packaging run ldconfig at every install.
namespace card {

inline constexpr char moduleFileName[] = "modulos/quelmar-frase-cartao.so";

// A QGuiApplication on the "offscreen" platform, which needs no display. It reads no argument:
// the command reads its own.
inline constexpr char makeApplicationName[] = "quelmar_cartao_aplicacao";
using MakeApplication = QCoreApplication* (*)(char** argv);

// Puts the card's PNG bytes into `png`; false when the message does not fit.
inline constexpr char drawName[] = "quelmar_cartao_png";
using Draw = bool (*)(const CardContent* content, QSize size, QByteArray* png);

} // namespace card
