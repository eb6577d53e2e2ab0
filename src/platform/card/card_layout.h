#pragma once

#include "platform/card/card_content.h"

#include <QFont>
#include <QList>
#include <QRectF>
#include <QSize>
#include <QTextLayout>
#include <memory>
#include <optional>

namespace card {

// Where everything on a card goes. The message gets the largest letters with which it fits
// whole between the header and the attribution, never smaller than minimumPixelSize: lines
// break between words, a word wider than the card breaks at the edge, and the message's own line
// breaks are kept.
class CardLayout {
public:
    // Nothing when the message does not fit even in the smallest letters.
    static std::optional<CardLayout> of(const CardContent& content, QSize size);

    QSize size() const { return m_size; }
    // The frame everything lies inside.
    QRectF content() const { return m_content; }
    // The banner's place when the card has one; else the title's line.
    QRectF header() const { return m_header; }
    int messagePixelSize() const { return m_messageFont.pixelSize(); }
    // Each line of the message, of the attribution and of the title, as drawn.
    QList<QRectF> messageLines() const;
    QList<QRectF> attributionLines() const;
    QRectF titleLine() const;

    const QTextLayout& message() const { return *m_message; }
    const QTextLayout& attribution() const { return *m_attribution; }
    const QTextLayout& title() const { return *m_title; }
    QPointF messageAt() const { return m_messageAt; }
    QPointF attributionAt() const { return m_attributionAt; }
    QPointF titleAt() const { return m_titleAt; }

private:
    CardLayout() = default;

    QSize m_size;
    QRectF m_content;
    QRectF m_header;
    QFont m_messageFont;
    std::shared_ptr<QTextLayout> m_message;
    std::shared_ptr<QTextLayout> m_attribution;
    std::shared_ptr<QTextLayout> m_title;
    QPointF m_messageAt;
    QPointF m_attributionAt;
    QPointF m_titleAt;
};

// The typefaces of a card: Liberation Serif, which the package already needs and in which the
// banner is lettered.
QFont cardFont(int pixelSize, bool italic = false, bool bold = false);

} // namespace card
