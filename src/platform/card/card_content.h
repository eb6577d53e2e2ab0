#pragma once

#include <QSize>
#include <QString>

// A message made into a picture to send to someone: what goes on it and the sizes it may have.
// Qt Core only, so that a command can ask for a card without loading the drawing code.
namespace card {

struct CardContent {
    QString message;     // exactly as stored: its line breaks are kept
    QString attribution; // the line under it, as the program prints it; empty for none
    QString title;       // the collection's name, written at the top when there is no banner
    bool banner = false; // the program's own banner at the top (our two collections)
};

// What messaging programs show whole, and the range a card may take.
inline constexpr QSize defaultSize{1080, 1080};
inline constexpr int smallestSide = 320;
inline constexpr int largestSide = 4096;

// The smallest letters a message gets: a thirty-second of the card's width. Phones show a card
// across their width, about 360 points, which puts these letters at 11 points, the size of a
// chat program's own small print.
constexpr int minimumPixelSize(int cardWidth) {
    return (cardWidth + 31) / 32;
}

// The words telling the user that a message is too long for a card of `size`.
inline QString tooLongForCard(QSize size) {
    return QStringLiteral("a mensagem é longa demais para caber inteira num cartão de %1 × %2 "
                          "pixels em letras legíveis (de %3 pixels, no mínimo)")
        .arg(size.width())
        .arg(size.height())
        .arg(minimumPixelSize(size.width()));
}

} // namespace card
