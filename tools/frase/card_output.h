#pragma once

#include "frase/program_module.h"
#include "platform/card/card_content.h"

#include <QCoreApplication>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>

namespace frase {

// The drawing code of the message cards, loaded from its module in the program's folder only
// when a card is asked for: every other answer starts without Qt Gui.
class CardModule {
public:
    CardModule(bool wanted, const QString& programDirectory);

    // The application the command runs in: with the module, one that draws without a display.
    std::unique_ptr<QCoreApplication> application(int& argc, char** argv) const;

    // The card's PNG bytes; raises the command's failure when the module could not be loaded
    // or the message does not fit the card.
    QByteArray draw(const card::CardContent& content, QSize size) const;

private:
    std::optional<ProgramModule> m_module;
};

// Puts `png` at `file` through a temporary file beside it, replacing a regular file and
// nothing else (a folder, a link, a device); raises the command's failure naming the file when
// it cannot.
void writeReplacing(const QByteArray& png, const QString& file);

} // namespace frase
