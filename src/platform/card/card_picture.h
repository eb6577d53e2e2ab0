#pragma once

#include "platform/card/card_content.h"
#include "platform/card/card_layout.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <optional>

// The card drawn: a calm paper, the header, the message and the attribution. Needs a
// QGuiApplication (any platform, "offscreen" too) for the fonts.
namespace card {

// The colours text is drawn in and the colours behind it, for checking their contrast.
struct Palette {
    QList<QColor> text;
    QList<QColor> paper;
};
const Palette& palette();

QImage drawCard(const CardLayout& layout);

// The card as a PNG file's bytes: the same content, size and fonts always give the same bytes.
// Nothing when the message does not fit in the smallest letters.
std::optional<QByteArray> cardPng(const CardContent& content, QSize size = defaultSize);

} // namespace card
