#include "platform/card/card_picture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

namespace card {

namespace {

using namespace Qt::StringLiterals;

// The program's night blue and lamp gold, on paper.
const QColor ink{0x0e, 0x14, 0x30};
const QColor night{0x14, 0x21, 0x4d};
const QColor bark{0x5b, 0x3b, 0x0c};
const QColor paperLight{0xfb, 0xf6, 0xe9};
const QColor paperWarm{0xf3, 0xe9, 0xd0};
const QColor gold{0xc9, 0x9a, 0x3e};

void drawPaper(QPainter& painter, const CardLayout& layout) {
    const QRectF whole(QPointF(0, 0), QSizeF(layout.size()));
    QLinearGradient paper(0, 0, 0, whole.height());
    paper.setColorAt(0, paperLight);
    paper.setColorAt(1, paperWarm);
    painter.fillRect(whole, paper);
    // A thin gold frame halfway into the margin.
    const qreal inset = (layout.content().left()) / 2;
    painter.setPen(QPen(gold, std::max(1.0, layout.size().width() / 540.0)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(whole.adjusted(inset, inset, -inset, -inset));
}

void drawHeader(QPainter& painter, const CardLayout& layout) {
    if (layout.title().lineCount() > 0) {
        painter.setPen(night);
        layout.title().draw(&painter, layout.titleAt());
        return;
    }
    static const QImage banner(u":/cartao/titulo_cartao.png"_s);
    painter.drawImage(layout.header(), banner);
}

// A short gold rule between the message and the attribution.
void drawRule(QPainter& painter, const CardLayout& layout) {
    if (layout.attribution().lineCount() == 0)
        return;
    const QRectF first = layout.attributionLines().front();
    const qreal y = first.top() - first.height() * 0.45;
    const qreal half = layout.size().width() / 16.0;
    const qreal middle = layout.content().center().x();
    painter.setPen(
        QPen(gold, std::max(1.0, layout.size().width() / 360.0), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(middle - half, y), QPointF(middle + half, y));
}

} // namespace

const Palette& palette() {
    static const Palette colours{{ink, night, bark}, {paperLight, paperWarm}};
    return colours;
}

QImage drawCard(const CardLayout& layout) {
    QImage image(layout.size(), QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    drawPaper(painter, layout);
    drawHeader(painter, layout);
    painter.setPen(ink);
    layout.message().draw(&painter, layout.messageAt());
    drawRule(painter, layout);
    painter.setPen(bark);
    layout.attribution().draw(&painter, layout.attributionAt());
    return image;
}

std::optional<QByteArray> cardPng(const CardContent& content, QSize size) {
    const std::optional<CardLayout> layout = CardLayout::of(content, size);
    if (!layout)
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(drawCard(*layout));
    return bytes;
}
} // namespace card
