#pragma once

#include <QImage>
#include <QPoint>

namespace artwork {

// Each picture is designed on a grid of its normal size in pixels; `scale` draws the same
// design larger for high-density screens (2 for the "@2x" files). Pictures come back as
// ARGB32, not yet reduced to any palette.

QImage mainIcon(qreal scale);            // 32 × 32: a lamp flame on a night-blue badge
QImage titleBanner(int scale);           // 238 × 22: "Quelmar de Orivela" lettered in gold
QImage nextButton(int scale, bool down); // 16 × 16: the forward sign, normal and pressed
QImage findIcon(int scale);              // 32 × 32: a magnifying glass over a page
QImage binoculars(int scale);            // 32 × 32
QImage gearIcon(int scale);              // 32 × 32
QImage clockImage(int scale);            // 32 × 32
QImage booksImage(int scale);            // 32 × 32: the two collections
QImage aboutIcon(int scale);             // 32 × 32: an "i" dotted with a flame
QImage aboutScene(int scale);            // 95 × 56, opaque: a lamp over an open book

struct Cursor {
    QImage image;
    QPoint hotSpot; // the fingertip, in the image's pixels
};

// 32 × 32 pointing hand, black outline and white inside, its fingertip on (12, 1).
Cursor pointingHand(int scale);

// The fonts the lettering needs, or an empty string when both are installed.
QString missingFonts();

} // namespace artwork
