#include "pictures.h"

#include "motifs.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QStringList>
#include <QtMath>
#include <functional>

using namespace Qt::StringLiterals;

namespace artwork {

namespace {

const QString sansFamily = u"Liberation Sans"_s;
const QString serifFamily = u"Liberation Serif"_s;

// Draws `paint` on a transparent canvas of `width` × `height` design pixels, `scale` times
// larger.
QImage render(int width, int height, qreal scale, const std::function<void(QPainter&)>& paint) {
    QImage image(qRound(width * scale), qRound(height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    paint(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QFont font(const QString& family, qreal pixelSize, bool bold, bool italic) {
    QFont f(family);
    f.setPixelSize(qRound(pixelSize));
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QLinearGradient verticalGold(qreal top, qreal bottom) {
    QLinearGradient gold(0, top, 0, bottom);
    gold.setColorAt(0.0, colour::goldLight);
    gold.setColorAt(0.5, colour::gold);
    gold.setColorAt(1.0, colour::goldDark);
    return gold;
}

// A warm halo, strongest at `centre` and gone at `radius`.
void drawGlow(QPainter& painter, QPointF centre, qreal radius, int strength) {
    QRadialGradient glow(centre, radius);
    QColor inner = colour::goldLight;
    inner.setAlpha(strength);
    QColor outer = colour::amber;
    outer.setAlpha(0);
    QColor warm = colour::amber;
    warm.setAlpha(strength / 3);
    glow.setColorAt(0.0, inner);
    glow.setColorAt(0.45, warm);
    glow.setColorAt(1.0, outer);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, radius, radius);
}

// A sheet of paper with its top right corner folded over.
void drawPage(QPainter& painter, const QRectF& sheet, qreal fold) {
    QPainterPath page(sheet.topLeft());
    page.lineTo(sheet.right() - fold, sheet.top());
    page.lineTo(sheet.right(), sheet.top() + fold);
    page.lineTo(sheet.bottomRight());
    page.lineTo(sheet.bottomLeft());
    page.closeSubpath();
    painter.setPen(QPen(colour::ink, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(colour::paper);
    painter.drawPath(page);

    QPainterPath corner(QPointF(sheet.right() - fold, sheet.top()));
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    corner.closeSubpath();
    painter.setPen(QPen(colour::ink, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(colour::paperShade);
    painter.drawPath(corner);
}

} // namespace

QString missingFonts() {
    QStringList missing;
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : {sansFamily, serifFamily})
        if (!installed.contains(family))
            missing.append(family);
    return missing.join(u", "_s);
}

QImage mainIcon(qreal scale) {
    return render(32, 32, scale, [](QPainter& p) {
        drawBadge(p, QPointF(16, 16), 15.5);
        drawGlow(p, QPointF(16, 14), 10, 150);
        drawSparkle(p, QPointF(7.5, 10), 2.6, colour::goldLight);
        drawSparkle(p, QPointF(24, 8.5), 1.8, colour::goldLight);
        drawSparkle(p, QPointF(25.5, 14.5), 1.2, colour::glass);
        drawFlame(p, QRectF(11.5, 3.5, 9, 15.5), false);
        drawLampBowl(p, QRectF(6.5, 18, 19, 9.5));
    });
}

QImage titleBanner(int scale) {
    return render(238, 22, scale, [](QPainter& p) {
        const QRectF band(0, 0, 238, 22);
        QLinearGradient night(0, 0, 0, 22);
        night.setColorAt(0.0, colour::blue);
        night.setColorAt(1.0, colour::night);
        p.fillRect(band, night);
        p.setPen(QPen(colour::gold, 1.0));
        p.drawLine(QPointF(0, 0.5), QPointF(238, 0.5));
        p.setPen(QPen(colour::goldDark, 1.0));
        p.drawLine(QPointF(0, 21.5), QPointF(238, 21.5));

        const QString title = u"Quelmar de Orivela"_s;
        const QFont lettering = font(serifFamily, 16, true, true);
        const QFontMetricsF metrics(lettering);
        const qreal width = metrics.horizontalAdvance(title);
        const qreal left = (238 - width) / 2;
        // Centre the capitals, not the font's whole height: the title has no descenders.
        const qreal baseline = (22 + metrics.capHeight()) / 2;
        p.setFont(lettering);
        p.setPen(colour::ink);
        p.drawText(QPointF(left + 1, baseline + 1), title);
        p.setPen(QPen(QBrush(verticalGold(baseline - metrics.capHeight(), baseline)), 1));
        p.drawText(QPointF(left, baseline), title);

        // A flame on each side, with a gold rule fading out towards the ends.
        const qreal flameWidth = 6;
        for (const int side : {-1, 1}) {
            const qreal near = side < 0 ? left - 11 : left + width + 11;
            drawGlow(p, QPointF(near, 11), 7, 90);
            drawFlame(p, QRectF(near - flameWidth / 2, 4.5, flameWidth, 12), false);
            const qreal ruleStart = near + side * 5;
            const qreal ruleEnd = side < 0 ? 6 : 232;
            QLinearGradient fade(ruleStart, 0, ruleEnd, 0);
            fade.setColorAt(0.0, colour::gold);
            QColor gone = colour::gold;
            gone.setAlpha(0);
            fade.setColorAt(1.0, gone);
            p.setPen(QPen(QBrush(fade), 1.0));
            p.drawLine(QPointF(ruleStart, 12.5), QPointF(ruleEnd, 12.5));
        }
    });
}

QImage nextButton(int scale, bool down) {
    return render(16, 16, scale, [down](QPainter& p) {
        const QPointF centre(8, 8);
        QLinearGradient face(0, 1, 0, 15);
        face.setColorAt(0.0, down ? colour::goldDark : colour::goldLight);
        face.setColorAt(1.0, down ? colour::gold : colour::goldDark);
        p.setPen(QPen(colour::ink, 1.0));
        p.setBrush(face);
        p.drawEllipse(centre, 7.5, 7.5);
        if (down) {
            // A shadow inside the upper rim: the button is sunk into the window.
            QColor shadow = colour::ink;
            shadow.setAlpha(140);
            p.setPen(QPen(shadow, 1.5, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(1.75, 1.75, 12.5, 12.5), 30 * 16, 150 * 16);
        }
        // Pressed, the sign sinks a pixel towards the lower right, as the button does.
        const QPointF shift = down ? QPointF(1, 1) : QPointF(0, 0);
        QPainterPath arrow(QPointF(3.5, 6.5));
        arrow.lineTo(7.5, 6.5);
        arrow.lineTo(7.5, 3);
        arrow.lineTo(12.5, 8);
        arrow.lineTo(7.5, 13);
        arrow.lineTo(7.5, 9.5);
        arrow.lineTo(3.5, 9.5);
        arrow.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(down ? colour::night : colour::blue);
        p.drawPath(arrow.translated(shift));
    });
}

QImage findIcon(int scale) {
    return render(32, 32, scale, [](QPainter& p) {
        drawPage(p, QRectF(3.5, 1.5, 19, 27), 6);
        p.setPen(Qt::NoPen);
        p.setBrush(colour::blue);
        const int lengths[] = {10, 14, 12, 15, 9, 13, 11};
        for (int i = 0; i < 7; ++i)
            p.drawRect(QRectF(6, 9 + 2.5 * i, lengths[i], 1));

        const QPointF lens(19.5, 17.5);
        p.setPen(QPen(colour::ink, 5.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(lens + QPointF(5, 5), QPointF(28.5, 28.5));
        p.setPen(QPen(colour::blue, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(lens + QPointF(5, 5), QPointF(28.5, 28.5));

        p.setPen(Qt::NoPen);
        p.setBrush(colour::ink);
        p.drawEllipse(lens, 8, 8);
        p.setBrush(verticalGold(lens.y() - 7, lens.y() + 7));
        p.drawEllipse(lens, 7, 7);
        QRadialGradient glass(lens + QPointF(-2, -2), 7);
        QColor clear = colour::glass;
        clear.setAlpha(150);
        glass.setColorAt(0.0, QColor(255, 255, 255, 200));
        glass.setColorAt(1.0, clear);
        // The page seen through the glass, a little magnified.
        p.save();
        QPainterPath inside;
        inside.addEllipse(lens, 5, 5);
        p.setClipPath(inside);
        p.fillRect(QRectF(lens.x() - 5, lens.y() - 5, 10, 10), colour::paper);
        p.setBrush(colour::blue);
        p.drawRect(QRectF(lens.x() - 5, lens.y() - 3, 9, 1.6));
        p.drawRect(QRectF(lens.x() - 5, lens.y() + 0.5, 7, 1.6));
        p.drawRect(QRectF(lens.x() - 5, lens.y() + 4, 10, 1.6));
        p.setBrush(glass);
        p.drawEllipse(lens, 5, 5);
        p.restore();
        p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(lens.x() - 3.5, lens.y() - 3.5, 7, 7), 100 * 16, 60 * 16);
    });
}

QImage binoculars(int scale) {
    return render(32, 32, scale, [](QPainter& p) {
        const qreal outline = 1.0;
        for (const qreal centre : {9.0, 23.0}) {
            // Eyepiece, body and the big front lens of one half.
            QPainterPath half;
            half.addRoundedRect(QRectF(centre - 3, 4, 6, 6), 1.2, 1.2);
            half.addRoundedRect(QRectF(centre - 5.5, 8.5, 11, 12), 2, 2);
            half.addEllipse(QPointF(centre, 22), 7, 7);
            half = half.simplified();
            QLinearGradient body(centre - 7, 0, centre + 7, 0);
            body.setColorAt(0.0, colour::sky);
            body.setColorAt(0.45, colour::blue);
            body.setColorAt(1.0, colour::night);
            p.setPen(QPen(colour::ink, outline));
            p.setBrush(body);
            p.drawPath(half);
            p.setPen(Qt::NoPen);
            p.setBrush(colour::gold);
            p.drawRect(QRectF(centre - 3, 7.5, 6, 1.5));
            p.setBrush(verticalGold(16, 28));
            p.drawEllipse(QPointF(centre, 22), 5.8, 5.8);
            QRadialGradient lens(QPointF(centre - 1.5, 20.5), 5);
            lens.setColorAt(0.0, colour::glass);
            lens.setColorAt(0.7, colour::sky);
            lens.setColorAt(1.0, colour::night);
            p.setBrush(lens);
            p.drawEllipse(QPointF(centre, 22), 4.2, 4.2);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(centre - 1.6, 20.4), 1.2, 1.2);
        }
        // The bridge and its focus wheel between the two halves.
        p.setPen(QPen(colour::ink, outline));
        p.setBrush(colour::goldDark);
        p.drawRect(QRectF(14, 11, 4, 5));
        p.setBrush(verticalGold(9, 17));
        p.drawRoundedRect(QRectF(14.5, 9, 3, 8), 1, 1);
    });
}

QImage gearIcon(int scale) {
    return render(32, 32, scale, [](QPainter& p) {
        const QPointF centre(16, 16);
        const int teeth = 8;
        const qreal tip = 14.5;
        const qreal root = 11;
        QPolygonF outline;
        for (int i = 0; i < teeth; ++i) {
            const qreal a = 360.0 / teeth * i - 90;
            const auto point = [&centre](qreal radius, qreal degrees) {
                const qreal r = qDegreesToRadians(degrees);
                return centre + QPointF(radius * qCos(r), radius * qSin(r));
            };
            outline << point(root, a - 14) << point(tip, a - 9) << point(tip, a + 9)
                    << point(root, a + 14);
            for (int step = 1; step < 4; ++step)
                outline << point(root, a + 14 + (45 - 28) * step / 4.0);
        }
        QPainterPath gear;
        gear.addPolygon(outline);
        gear.closeSubpath();
        QPainterPath hole;
        hole.addEllipse(centre, 4, 4);
        gear = gear.subtracted(hole);

        QLinearGradient metal(6, 4, 26, 28);
        metal.setColorAt(0.0, colour::goldLight);
        metal.setColorAt(0.5, colour::gold);
        metal.setColorAt(1.0, colour::goldDark);
        p.setPen(QPen(colour::ink, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(metal);
        p.drawPath(gear);
        // A blue ring around the axle keeps the gear in the program's colours.
        p.setPen(QPen(colour::blue, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 6.3, 6.3);
    });
}

QImage clockImage(int scale) {
    return render(32, 32, scale, [](QPainter& p) {
        const QPointF centre(16, 16.5);
        p.setPen(Qt::NoPen);
        p.setBrush(colour::ink);
        p.drawEllipse(centre, 14.5, 14.5);
        p.setBrush(verticalGold(2, 31));
        p.drawEllipse(centre, 13.5, 13.5);
        p.setBrush(colour::ink);
        p.drawEllipse(centre, 11.2, 11.2);
        QRadialGradient face(centre + QPointF(-3, -3), 13);
        face.setColorAt(0.0, Qt::white);
        face.setColorAt(1.0, colour::paper);
        p.setBrush(face);
        p.drawEllipse(centre, 10.5, 10.5);

        for (int hour = 0; hour < 12; ++hour) {
            p.save();
            p.translate(centre);
            p.rotate(hour * 30);
            if (hour % 3 == 0) {
                p.setBrush(colour::blue);
                p.drawRect(QRectF(-1, -10, 2, 3));
            } else {
                p.setBrush(colour::sky);
                p.drawEllipse(QPointF(0, -8.8), 0.8, 0.8);
            }
            p.restore();
        }
        // Ten past ten, the friendly time.
        const auto hand = [&p, &centre](qreal degrees, qreal length, qreal width,
                                        const QColor& colour) {
            const qreal r = qDegreesToRadians(degrees - 90);
            p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(centre, centre + QPointF(length * qCos(r), length * qSin(r)));
        };
        hand(-60, 5.5, 2.4, colour::night);
        hand(60, 8, 1.8, colour::night);
        p.setPen(Qt::NoPen);
        p.setBrush(colour::ember);
        p.drawEllipse(centre, 1.6, 1.6);
    });
}

QImage booksImage(int scale) {
    return render(32, 32, scale, [](QPainter& p) {
        // One book for each collection, seen from the spine: the blue one standing, the red
        // one leaning on it. Flat colours, so that sixteen of them are enough.
        const auto book = [&p](const QRectF& spine, const QColor& base, const QColor& light,
                               const QColor& dark) {
            p.setPen(QPen(colour::ink, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            p.setBrush(base);
            p.drawRoundedRect(spine, 1, 1);
            p.setPen(Qt::NoPen);
            p.setBrush(light);
            p.drawRect(QRectF(spine.left() + 1, spine.top() + 0.5, 2, spine.height() - 1));
            p.setBrush(dark);
            p.drawRect(QRectF(spine.right() - 2.5, spine.top() + 0.5, 2, spine.height() - 1));
            p.setBrush(colour::gold);
            p.drawRect(QRectF(spine.left() + 0.5, spine.top() + 2.5, spine.width() - 1, 2));
            p.drawRect(QRectF(spine.left() + 0.5, spine.bottom() - 4.5, spine.width() - 1, 2));
            p.drawRect(QRectF(spine.left() + 0.5, spine.top() + 5.5, spine.width() - 1, 1));
        };
        p.save();
        p.translate(27, 29.5);
        p.rotate(-12);
        book(QRectF(-9, -23, 9, 23), colour::ember, QColor(0xe8, 0x6a, 0x38),
             QColor(0x80, 0x20, 0x0e));
        p.restore();
        book(QRectF(5.5, 4.5, 10, 25), colour::blue, colour::sky, colour::night);
    });
}

QImage aboutIcon(int scale) {
    return render(32, 32, scale, [](QPainter& p) {
        drawBadge(p, QPointF(16, 16), 15.5);
        // A lettered "i", its dot in gold like a small lamp light.
        const QFont lettering = font(serifFamily, 26, true, false);
        QPainterPath letter;
        letter.addText(0, 0, lettering, u"i"_s);
        letter = QTransform::fromScale(1.25, 1).map(letter); // a sturdier stem for 32 pixels
        const QRectF bounds = letter.boundingRect();
        letter.translate(16 - bounds.center().x(), 16.5 - bounds.center().y());
        const qreal dotBottom = letter.boundingRect().top() + bounds.width() * 1.05;
        p.setPen(QPen(colour::ink, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(colour::cream);
        p.drawPath(letter);
        p.setPen(Qt::NoPen);
        p.setBrush(colour::gold);
        p.setClipRect(QRectF(0, 0, 32, dotBottom));
        p.drawPath(letter);
    });
}

QImage aboutScene(int scale) {
    QImage scene = render(95, 56, scale, [](QPainter& p) {
        QLinearGradient sky(0, 0, 0, 56);
        sky.setColorAt(0.0, colour::night);
        sky.setColorAt(1.0, colour::blue);
        p.fillRect(QRectF(0, 0, 95, 56), sky);
        const QPointF stars[] = {{8, 7},   {19, 15}, {13, 26}, {29, 5},  {70, 6},
                                 {82, 14}, {88, 5},  {77, 27}, {62, 12}, {35, 20}};
        for (std::size_t i = 0; i < std::size(stars); ++i)
            drawSparkle(p, stars[i], i % 3 == 0 ? 2.6 : 1.5,
                        i % 2 == 0 ? colour::goldLight : colour::glass);

        drawGlow(p, QPointF(47.5, 22), 30, 170);
        drawFlame(p, QRectF(42, 5, 11, 19), false);
        drawLampBowl(p, QRectF(35, 22.5, 25, 12));

        // The open book, its pages curving up from the spine.
        QPainterPath cover;
        cover.moveTo(47.5, 41);
        cover.cubicTo(36, 37, 22, 37, 9, 40);
        cover.lineTo(7, 53);
        cover.cubicTo(22, 50, 37, 51, 47.5, 55);
        cover.cubicTo(58, 51, 73, 50, 88, 53);
        cover.lineTo(86, 40);
        cover.cubicTo(73, 37, 59, 37, 47.5, 41);
        p.setPen(QPen(colour::ink, 1.0));
        p.setBrush(colour::ember);
        p.drawPath(cover);
        for (const int side : {-1, 1}) {
            QPainterPath page;
            page.moveTo(47.5, 38);
            page.cubicTo(47.5 + side * 10, 33.5, 47.5 + side * 24, 33.5, 47.5 + side * 36, 36);
            page.lineTo(47.5 + side * 37.5, 50);
            page.cubicTo(47.5 + side * 24, 47.5, 47.5 + side * 10, 48.5, 47.5, 52);
            page.closeSubpath();
            QLinearGradient paper(47.5, 0, 47.5 + side * 37, 0);
            paper.setColorAt(0.0, colour::paperShade);
            paper.setColorAt(0.25, colour::paper);
            paper.setColorAt(1.0, colour::cream);
            p.setPen(QPen(colour::ink, 0.8));
            p.setBrush(paper);
            p.drawPath(page);
            p.setPen(QPen(colour::sky, 0.8));
            for (int line = 0; line < 4; ++line) {
                const qreal y = 39.5 + line * 2.6;
                const qreal inner = 47.5 + side * 5;
                const qreal outer = 47.5 + side * (line == 3 ? 22 : 31);
                p.drawLine(QPointF(inner, y), QPointF(outer, y - 1.2));
            }
        }
    });
    return scene.convertToFormat(QImage::Format_RGB32);
}

Cursor pointingHand(int scale) {
    // The hand is drawn as one smooth silhouette, then turned into crisp cursor pixels: solid
    // where at least half covered, its edge pixels black, the rest white.
    const QImage shape = render(32, 32, scale, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(10, 1, 5, 16), 2.5, 2.5); // the pointing finger
        p.drawRoundedRect(QRectF(14, 8, 5, 10), 2.5, 2.5); // the folded ones
        p.drawRoundedRect(QRectF(18, 9, 5, 10), 2.5, 2.5);
        p.drawRoundedRect(QRectF(22, 11, 4.5, 9), 2.25, 2.25);
        QPainterPath palm(QPointF(10, 14));
        palm.lineTo(26.5, 15);
        palm.lineTo(26.5, 20);
        palm.cubicTo(26.5, 23, 25, 24.5, 24, 26);
        palm.lineTo(11, 26);
        palm.cubicTo(10, 24.5, 8.5, 22.5, 8, 20);
        palm.closeSubpath();
        p.drawPath(palm);
        p.setPen(QPen(Qt::white, 4.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.8, 15.3), QPointF(10, 20.5)); // the thumb
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(11, 25, 13, 5)); // the wrist
    });

    const int size = shape.width();
    const auto inside = [&shape, size](int x, int y) {
        return x >= 0 && y >= 0 && x < size && y < size && qAlpha(shape.pixel(x, y)) >= 128;
    };
    QImage hand(size, size, QImage::Format_ARGB32);
    hand.fill(Qt::transparent);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (!inside(x, y))
                continue;
            bool edge = false;
            for (int dy = -scale; dy <= scale && !edge; ++dy)
                for (int dx = -scale; dx <= scale && !edge; ++dx)
                    if (qAbs(dx) + qAbs(dy) <= scale && !inside(x + dx, y + dy))
                        edge = true;
            hand.setPixel(x, y, edge ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    // The lines inside the hand: where the pointing finger lies over the folded ones, between
    // the folded fingers, along the thumb and across the cuff.
    const QRect creases[] = {
        {14, 8, 1, 8}, {18, 9, 1, 5}, {22, 11, 1, 4}, {10, 18, 1, 2}, {11, 25, 13, 1}};
    QPainter lines(&hand);
    for (const QRect& crease : creases)
        lines.fillRect(QRect(crease.topLeft() * scale, crease.size() * scale), Qt::black);
    lines.end();
    return {hand, QPoint(12, 1) * scale};
}

} // namespace artwork
