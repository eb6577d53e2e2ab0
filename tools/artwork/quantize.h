#pragma once

#include <QImage>

namespace artwork {

// Reduces a picture to an 8-bit indexed image with at most `colours` colour table entries.
// Pixels less than half opaque all become one fully transparent entry, which counts towards
// `colours`; every other pixel becomes opaque. A picture that already has few enough colours
// keeps them exactly. The result does not depend on anything but the input, so running the
// generator twice writes the same files.
QImage quantize(const QImage& picture, int colours);

// How many different colours (alpha included) an image holds.
int countColours(const QImage& image);

} // namespace artwork
