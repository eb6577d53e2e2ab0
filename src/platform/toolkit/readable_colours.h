#pragma once

#include <QColor>

// Text colours a reader can make out: the layouts give fixed colours that were chosen against a
// light desktop, and a dark one can leave them unreadable.
namespace toolkit {

// The contrast the accessibility guidelines ask of ordinary text.
inline constexpr double readableContrast = 4.5;

// The contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double contrastRatio(const QColor& first, const QColor& second);

// `wanted` where it reaches readableContrast on `background`; otherwise `preferred` where that
// does; otherwise `wanted` itself made lighter or darker, away from the background, just as far
// as it takes, so that it keeps its hue.
QColor readableOn(const QColor& background, const QColor& wanted, const QColor& preferred = {});

} // namespace toolkit
