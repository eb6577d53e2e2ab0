#pragma once

#include <functional>

class QWidget;

namespace bench {

// The line a start-up probe writes once its window has painted its first frame.
inline constexpr char firstPaintLine[] = "first frame painted";

// Watches `window`: once its first paint event has been handled (the whole frame, children
// included), writes firstPaintLine to standard output and ends the process with status 0 at
// once, without running any destructor, so that tearing down is not part of the figure.
void exitAfterFirstPaint(QWidget& window);

// The same, except that after writing firstPaintLine it runs `then`, which ends the process.
void afterFirstPaint(QWidget& window, std::function<void()> then);

} // namespace bench
