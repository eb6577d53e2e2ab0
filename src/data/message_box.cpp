#include "data/message_box.h"

#include <QStringTokenizer>

namespace data {

namespace {

int wrappedLineCount(QStringView paragraph) {
    int lines = 1;
    qsizetype used = 0;
    for (const QStringView word : paragraph.tokenize(u' ')) {
        const qsizetype needed = used == 0 ? word.size() : used + 1 + word.size();
        if (needed <= messageBoxColumns) {
            used = needed;
            continue;
        }
        if (used > 0)
            ++lines;
        // A word longer than a line fills whole lines and leaves the rest on the next.
        lines += static_cast<int>((word.size() - 1) / messageBoxColumns);
        used = word.size() - (word.size() - 1) / messageBoxColumns * messageBoxColumns;
    }
    return lines;
}

} // namespace

int messageBoxLineCount(QStringView text) {
    int lines = 0;
    for (const QStringView paragraph : text.tokenize(u'\n'))
        lines += wrappedLineCount(paragraph);
    return lines;
}

bool fitsMessageBox(QStringView text) {
    return messageBoxLineCount(text) <= messageBoxLines;
}

} // namespace data
