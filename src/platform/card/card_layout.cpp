#include "platform/card/card_layout.h"

#include <QFontMetricsF>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace card {

namespace {

using namespace Qt::StringLiterals;

// Proportions of the card, chosen by eye on a 1080 × 1080 card.
constexpr double marginShare = 0.075;           // of the shorter side, all round
constexpr double bannerWidthShare = 0.62;       // of the width
constexpr double bannerHeightShare = 0.12;      // of the height, at most
constexpr double gapShare = 0.045;              // between header, message and attribution
constexpr double largestLetterShare = 1 / 11.0; // a one-word message, of the width
constexpr double smallestUnbroken = 0.75;       // of the largest letters, to keep lines whole
constexpr double lineGap = 0.12;                // between lines, of the letters' size
constexpr double bannerAspect = 238.0 / 22;     // the banner's width to its height

// The message's own line breaks, as the text layout takes them.
QString withLineSeparators(QString text) {
    text.replace(u"\r\n"_s, QString(QChar::LineSeparator));
    text.replace(u'\n', QChar::LineSeparator);
    text.replace(u'\r', QChar::LineSeparator);
    return text;
}

// Lays `text` out in lines no wider than `width`, centred; returns the height it takes.
qreal layOutLines(QTextLayout& layout, qreal width) {
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const qreal gap = layout.font().pixelSize() * lineGap;
    qreal y = 0;
    layout.beginLayout();
    // No text, no line: an empty line would still take a line's height.
    for (QTextLine line = layout.text().isEmpty() ? QTextLine() : layout.createLine();
         line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height() + gap;
    }
    layout.endLayout();
    return layout.lineCount() == 0 ? 0 : y - gap;
}

std::shared_ptr<QTextLayout> laidOut(const QString& text, const QFont& font, qreal width,
                                     qreal& height) {
    auto layout = std::make_shared<QTextLayout>(withLineSeparators(text), font);
    layout->setCacheEnabled(true);
    height = layOutLines(*layout, width);
    return layout;
}

QList<QRectF> linesOf(const QTextLayout& layout, QPointF at) {
    QList<QRectF> lines;
    for (int i = 0; i < layout.lineCount(); ++i)
        lines.append(layout.lineAt(i).naturalTextRect().translated(at));
    return lines;
}

} // namespace

QFont cardFont(int pixelSize, bool italic, bool bold) {
    QFont font(u"Liberation Serif"_s);
    font.setPixelSize(pixelSize);
    font.setItalic(italic);
    font.setBold(bold);
    // Unhinted outlines scale evenly, so a size that fits is found by halving.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

std::optional<CardLayout> CardLayout::of(const CardContent& content, QSize size) {
    CardLayout card;
    card.m_size = size;
    const qreal margin = std::round(std::min(size.width(), size.height()) * marginShare);
    card.m_content = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(margin, margin, -margin, -margin);
    const QRectF& frame = card.m_content;
    const qreal gap = std::round(size.height() * gapShare);
    const int smallest = minimumPixelSize(size.width());

    const qreal bannerWidth = std::min({size.width() * bannerWidthShare, frame.width(),
                                        size.height() * bannerHeightShare * bannerAspect});
    const qreal headerHeight = std::round(bannerWidth / bannerAspect);
    const QFont titleFont = cardFont(std::max(smallest, qRound(headerHeight * 0.75)), true, true);
    qreal titleHeight = 0;
    const QString title =
        content.banner
            ? QString()
            : QFontMetricsF(titleFont).elidedText(content.title, Qt::ElideMiddle, frame.width());
    card.m_title = laidOut(title, titleFont, frame.width(), titleHeight);
    card.m_header = content.banner ? QRectF(frame.left() + (frame.width() - bannerWidth) / 2,
                                            frame.top(), bannerWidth, headerHeight)
                                   : QRectF(frame.left(), frame.top(), frame.width(), titleHeight);
    card.m_titleAt = frame.topLeft();

    qreal attributionHeight = 0;
    card.m_attribution =
        laidOut(content.attribution, cardFont(smallest, true), frame.width(), attributionHeight);
    card.m_attributionAt = QPointF(frame.left(), frame.bottom() - attributionHeight);

    const qreal top = card.m_header.bottom() + gap;
    const qreal bottom =
        content.attribution.isEmpty() ? frame.bottom() : card.m_attributionAt.y() - gap;
    const qreal room = bottom - top;
    qreal height = 0;
    const auto fits = [&](int pixelSize) {
        card.m_messageFont = cardFont(pixelSize);
        card.m_message = laidOut(content.message, card.m_messageFont, frame.width(), height);
        return height <= room;
    };
    if (room <= 0 || !fits(smallest))
        return std::nullopt;
    // The largest size that fits, by halving the range: `low` always fits.
    int low = smallest;
    int high = std::max(smallest, qRound(std::min(size.width() * largestLetterShare, room))) + 1;
    while (high - low > 1) {
        const int middle = (low + high) / 2;
        (fits(middle) ? low : high) = middle;
    }
    // Lines of a poem read best whole: a little smaller letters are worth it when they keep
    // every line of the message from breaking.
    const int ownLines = int(withLineSeparators(content.message).count(QChar::LineSeparator)) + 1;
    const auto whole = [&](int pixelSize) {
        return fits(pixelSize) && card.m_message->lineCount() <= ownLines;
    };
    if (fits(low) && card.m_message->lineCount() > ownLines) {
        const int floor = std::max(smallest, int(low * smallestUnbroken));
        if (whole(floor)) {
            int unbroken = floor;
            high = low;
            while (high - unbroken > 1) {
                const int middle = (unbroken + high) / 2;
                (whole(middle) ? unbroken : high) = middle;
            }
            low = unbroken;
        }
    }
    fits(low);
    card.m_messageAt = QPointF(frame.left(), top + (room - height) / 2);
    return card;
}

QList<QRectF> CardLayout::messageLines() const {
    return linesOf(*m_message, m_messageAt);
}

QList<QRectF> CardLayout::attributionLines() const {
    return linesOf(*m_attribution, m_attributionAt);
}

QRectF CardLayout::titleLine() const {
    return m_title->lineCount() == 0 ? QRectF() : linesOf(*m_title, m_titleAt).front();
}

} // namespace card
