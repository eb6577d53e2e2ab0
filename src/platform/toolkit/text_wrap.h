#pragma once

#include <QString>
#include <QTextOption>

class QPainter;
class QRectF;

// Long texts broken into lines at the edge of their box the same way on screen and on paper:
// between words, and inside a word only where the word alone is wider than the box.
namespace toolkit {

// How `text` is broken into lines. Qt reads a whole run of characters with no place to break
// before it breaks that run, again for every line the run fills, so the time grows with the
// square of the run's length. A text with a run longer than any word is broken wherever a line
// reaches the edge, which takes time in proportion to its length.
QTextOption::WrapMode wrapModeFor(const QString& text);

// Draws `text` in the painter's font and pen, broken into lines within `box`'s width, from its
// top down to its bottom; the lines below the box are never laid out. Line breaks in the text
// break the line, as they do in a label.
void drawWrapped(QPainter& painter, const QRectF& box, const QString& text,
                 Qt::Alignment alignment);

} // namespace toolkit
