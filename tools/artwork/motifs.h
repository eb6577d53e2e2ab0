#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace artwork {

// The program's colours: a night blue and the gold of a lamp flame. Every picture is drawn
// from these, so they sit together in the same window.
namespace colour {
inline const QColor ink{0x0e, 0x14, 0x30};       // outlines
inline const QColor night{0x14, 0x21, 0x4d};     // the darkest blue
inline const QColor blue{0x1f, 0x3a, 0x80};      // the main blue
inline const QColor sky{0x3f, 0x6c, 0xc4};       // highlights on blue
inline const QColor glass{0xa9, 0xc8, 0xf0};     // lenses, glints
inline const QColor goldDark{0xa8, 0x72, 0x1c};  // shaded gold
inline const QColor gold{0xf0, 0xb8, 0x3a};      // the main gold
inline const QColor goldLight{0xff, 0xe3, 0x8a}; // lit gold
inline const QColor amber{0xf0, 0x86, 0x1c};     // the outside of a flame
inline const QColor ember{0xc8, 0x3c, 0x16};     // the edge of a flame, the second collection
inline const QColor cream{0xff, 0xf6, 0xd8};     // the heart of a flame, paper
inline const QColor paper{0xf7, 0xf1, 0xe1};
inline const QColor paperShade{0xd8, 0xcc, 0xae};
} // namespace colour

// A candle flame filling `box`: round at the bottom, its tip leaning a little to the right.
QPainterPath flamePath(const QRectF& box);

// The three-layer flame used everywhere: an amber outside, a gold middle and a pale heart.
// `outline` adds a thin ink edge, which the flame needs on light backgrounds.
void drawFlame(QPainter& painter, const QRectF& box, bool outline);

// A small oil lamp bowl whose wick sits at the top centre
// of `box`; the flame is drawn separately, above it.
void drawLampBowl(QPainter& painter, const QRectF& box);

// A four-pointed sparkle centred on `centre`.
void drawSparkle(QPainter& painter, QPointF centre, qreal radius, const QColor& colour);

// The round badge behind the program's own icons: a night-blue disc with a gold rim.
void drawBadge(QPainter& painter, QPointF centre, qreal radius);

} // namespace artwork
