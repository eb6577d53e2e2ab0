// The message card: its layout rule, asserted as geometry (fonts differ between machines), and
// the contrast of its colours.

#include "platform/card/card_picture.h"
#include "platform/toolkit/readable_colours.h"

#include <QTest>

using namespace Qt::StringLiterals;
using card::CardLayout;

class TestCard : public QObject {
    Q_OBJECT

private slots:
    void layout_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("banner");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("lines");  // at least this many lines; 0: refused
        QTest::addColumn<bool>("large"); // well above the smallest letters
        const QString sentence = u"Quem planta cedo colhe a paciência de ver crescer. "_s;
        const QSize square = card::defaultSize;
        QTest::newRow("one word") << u"Coragem."_s << true << square << 1 << true;
        QTest::newRow("a short line") << u"O dia começa em você."_s << true << square << 1 << true;
        QTest::newRow("three lines with breaks")
            << u"Um\nDois\r\n\nTrês"_s << true << square << 4 << true;
        QTest::newRow("1,000 characters")
            << (QString(sentence).repeated(10) + u"\n"_s + sentence.repeated(9)).left(1000) << true
            << square << 12 << false;
        QTest::newRow("a 200-character word") << QString(200, u'm') << true << square << 2 << false;
        QTest::newRow("a file's long title instead of the banner")
            << u"Sem faixa."_s << false << QSize(320, 480) << 1 << true;
        QTest::newRow("too long") << sentence.repeated(40) << true << square << 0 << false;
        QTest::newRow("no room on a wide strip")
            << u"Oi"_s << true << QSize(4096, 320) << 0 << false;
    }

    // Every line lies inside the margins, in its own band (header, message, attribution, top to
    // bottom), and the message's letters are never smaller than the minimum.
    void layout() {
        QFETCH(QString, message);
        QFETCH(bool, banner);
        QFETCH(QSize, size);
        QFETCH(int, lines);
        QFETCH(bool, large);
        const card::CardContent content{message, u"— Quelmar de Orivela, nº 32767"_s,
                                        u"um título de arquivo comprido "_s.repeated(5), banner};
        const std::optional<CardLayout> layout = CardLayout::of(content, size);
        QCOMPARE(layout.has_value(), lines > 0);
        if (!layout)
            return;
        const QRectF frame = layout->content();
        QVERIFY(QRectF(QPointF(), QSizeF(size)).contains(frame));
        const QList<QRectF> text = layout->messageLines();
        const QList<QRectF> attribution = layout->attributionLines();
        QVERIFY(text.size() >= lines);
        QVERIFY(!attribution.isEmpty());
        QCOMPARE(layout->titleLine().isValid(), !banner);
        QVERIFY(frame.contains(banner ? layout->header() : layout->titleLine()));
        for (const QRectF& line : text + attribution)
            // An empty line has no width, which QRectF::contains never holds inside.
            QVERIFY2(line.left() >= frame.left() && line.right() <= frame.right() &&
                         line.top() >= frame.top() && line.bottom() <= frame.bottom(),
                     qPrintable(u"line %1,%2 %3×%4 out of the margins"_s.arg(line.x())
                                    .arg(line.y())
                                    .arg(line.width())
                                    .arg(line.height())));
        QVERIFY(text.front().top() >= layout->header().bottom());
        QVERIFY(text.back().bottom() <= attribution.front().top());
        const int smallest = card::minimumPixelSize(size.width());
        QVERIFY(layout->messagePixelSize() >= smallest);
        QCOMPARE(layout->messagePixelSize() >= 2 * smallest, large);
    }

    void textIsReadableOnThePaper() {
        for (const QColor& text : card::palette().text)
            for (const QColor& paper : card::palette().paper)
                QVERIFY2(toolkit::contrastRatio(text, paper) >= 7,
                         qPrintable(text.name() + u" on "_s + paper.name()));
    }
};

QTEST_MAIN(TestCard)
#include "test_card.moc"
