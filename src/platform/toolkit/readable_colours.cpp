#include "platform/toolkit/readable_colours.h"

#include <cmath>

namespace toolkit {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) +
           0.0722 * linear(rgb.blueF());
}

bool readable(const QColor& text, const QColor& background) {
    return contrastRatio(text, background) >= readableContrast;
}

} // namespace

double contrastRatio(const QColor& first, const QColor& second) {
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor readableOn(const QColor& background, const QColor& wanted, const QColor& preferred) {
    if (readable(wanted, background))
        return wanted;
    if (preferred.isValid() && readable(preferred, background))
        return preferred;
    // Towards white on a dark background, towards black on a light one: whichever end stands
    // further from it.
    const bool lighter =
        contrastRatio(Qt::white, background) >= contrastRatio(Qt::black, background);
    const QColor hsl = wanted.toHsl();
    constexpr int steps = 100;
    for (int step = 1; step <= steps; ++step) {
        const double lightness = hsl.lightnessF();
        const double moved = lighter ? lightness + (1.0 - lightness) * step / steps
                                     : lightness * (steps - step) / steps;
        const QColor candidate =
            QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), moved).toRgb();
        if (readable(candidate, background))
            return candidate;
    }
    return lighter ? QColor(Qt::white) : QColor(Qt::black);
}

} // namespace toolkit
