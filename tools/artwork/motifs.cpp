#include "motifs.h"

#include <QPainter>
#include <QRadialGradient>

namespace artwork {

QPainterPath flamePath(const QRectF& box) {
    const auto at = [&box](qreal x, qreal y) {
        return QPointF(box.left() + x * box.width(), box.top() + y * box.height());
    };
    QPainterPath path(at(0.56, 0.0));
    path.cubicTo(at(0.64, 0.24), at(1.0, 0.40), at(1.0, 0.66));
    path.cubicTo(at(1.0, 0.88), at(0.78, 1.0), at(0.5, 1.0));
    path.cubicTo(at(0.22, 1.0), at(0.0, 0.88), at(0.0, 0.66));
    path.cubicTo(at(0.0, 0.42), at(0.36, 0.30), at(0.56, 0.0));
    path.closeSubpath();
    return path;
}

void drawFlame(QPainter& painter, const QRectF& box, bool outline) {
    painter.save();
    const QPainterPath outside = flamePath(box);
    if (outline) {
        painter.setPen(QPen(colour::ink, box.width() / 9.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(outside);
    }
    painter.setPen(Qt::NoPen);
    QLinearGradient fire(box.topLeft(), box.bottomLeft());
    fire.setColorAt(0.0, colour::ember);
    fire.setColorAt(0.55, colour::amber);
    fire.setColorAt(1.0, colour::amber);
    painter.setBrush(fire);
    painter.drawPath(outside);

    const QRectF middle(box.left() + box.width() * 0.18, box.top() + box.height() * 0.30,
                        box.width() * 0.64, box.height() * 0.64);
    painter.setBrush(colour::gold);
    painter.drawPath(flamePath(middle));

    const QRectF heart(box.left() + box.width() * 0.34, box.top() + box.height() * 0.58,
                       box.width() * 0.32, box.height() * 0.34);
    painter.setBrush(colour::cream);
    painter.drawPath(flamePath(heart));
    painter.restore();
}

void drawLampBowl(QPainter& painter, const QRectF& box) {
    painter.save();
    const qreal w = box.width();
    const qreal h = box.height();
    const auto at = [&box, w, h](qreal x, qreal y) {
        return QPointF(box.left() + x * w, box.top() + y * h);
    };
    // A shallow bowl, pinched into a spout at the top centre where the wick is, on a foot.
    QPainterPath bowl(at(0.0, 0.12));
    bowl.cubicTo(at(0.25, 0.22), at(0.40, 0.10), at(0.5, 0.0));
    bowl.cubicTo(at(0.60, 0.10), at(0.75, 0.22), at(1.0, 0.12));
    bowl.cubicTo(at(0.96, 0.52), at(0.78, 0.72), at(0.5, 0.72));
    bowl.cubicTo(at(0.22, 0.72), at(0.04, 0.52), at(0.0, 0.12));
    bowl.closeSubpath();
    QPainterPath foot;
    foot.addRoundedRect(QRectF(at(0.30, 0.66), at(0.70, 1.0)), w * 0.06, w * 0.06);

    QLinearGradient metal(box.topLeft(), box.bottomLeft());
    metal.setColorAt(0.0, colour::goldLight);
    metal.setColorAt(0.45, colour::gold);
    metal.setColorAt(1.0, colour::goldDark);
    painter.setPen(QPen(colour::ink, w / 16.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(metal);
    painter.drawPath(foot.united(bowl));
    painter.restore();
}

void drawSparkle(QPainter& painter, QPointF centre, qreal radius, const QColor& colour) {
    painter.save();
    const qreal waist = radius * 0.22;
    QPainterPath star(centre + QPointF(0, -radius));
    star.quadTo(centre + QPointF(waist, -waist), centre + QPointF(radius, 0));
    star.quadTo(centre + QPointF(waist, waist), centre + QPointF(0, radius));
    star.quadTo(centre + QPointF(-waist, waist), centre + QPointF(-radius, 0));
    star.quadTo(centre + QPointF(-waist, -waist), centre + QPointF(0, -radius));
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(star);
    painter.restore();
}

void drawBadge(QPainter& painter, QPointF centre, qreal radius) {
    painter.save();
    QRadialGradient sky(centre + QPointF(0, -radius * 0.3), radius * 1.2);
    sky.setColorAt(0.0, colour::sky);
    sky.setColorAt(0.55, colour::blue);
    sky.setColorAt(1.0, colour::night);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour::ink);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(colour::gold);
    painter.drawEllipse(centre, radius - radius / 15.0, radius - radius / 15.0);
    painter.setBrush(sky);
    const qreal inner = radius - radius * 2.2 / 15.0;
    painter.drawEllipse(centre, inner, inner);
    painter.restore();
}

} // namespace artwork
