#include "platform/toolkit/text_wrap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <cmath>

namespace toolkit {

namespace {

// Far beyond any word of any language, and short enough that reading it once per line costs
// little beside laying the line out.
constexpr qsizetype longestWord = 500;

bool holdsRunLongerThanAnyWord(const QString& text) {
    if (text.size() <= longestWord)
        return false;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype previous = 0;
    for (qsizetype next = breaks.toNextBoundary(); next >= 0; next = breaks.toNextBoundary()) {
        if (next - previous > longestWord)
            return true;
        previous = next;
    }
    return false;
}

// As a label lays out its text: a line feed ends the line, a carriage return is a blank.
QString withLineSeparators(QString text) {
    for (QChar& c : text) {
        if (c == u'\n')
            c = QChar::LineSeparator;
        else if (c == u'\r')
            c = u' ';
    }
    return text;
}

} // namespace

QTextOption::WrapMode wrapModeFor(const QString& text) {
    return holdsRunLongerThanAnyWord(text) ? QTextOption::WrapAnywhere
                                           : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

void drawWrapped(QPainter& painter, const QRectF& box, const QString& text,
                 Qt::Alignment alignment) {
    QTextOption option(alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(wrapModeFor(text));
    QTextLayout layout(withLineSeparators(text), painter.font(), painter.device());
    layout.setTextOption(option);
    // Lines stand on whole pixels, their leading between them, as in a label.
    const qreal leading = QFontMetricsF(painter.font(), painter.device()).leading();
    qreal top = -leading;
    layout.beginLayout();
    while (top < box.height()) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(box.width());
        top = std::ceil(top + leading);
        line.setPosition(QPointF(0, top));
        top += line.ascent() + line.descent();
    }
    layout.endLayout();
    layout.draw(&painter, box.topLeft());
}

} // namespace toolkit
