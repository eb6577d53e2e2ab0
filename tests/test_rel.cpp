// Printing the message on display: the real main window prints its page into a PDF file that
// the test reads back with pdftotext, as a user would read the sheet.

#include "platform/toolkit/printing.h"
#include "support/program_run.h"
#include "windows/rel.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using windows::frmPrincipal;
using windows::FrmRel;

namespace {

const QString title = u"Quelmar de Orivela"_s;

// No digit anywhere, so that a message number on the sheet cannot hide among the texts.
ProgramFiles printFiles() {
    ProgramFiles files;
    files.quelmar = {u"Quem semeia amor colhe paz"_s, u"Cada manhã é uma página nova"_s,
                     u"O sol nasce para quem acorda"_s};
    files.tarvenas = {u"O rio chega ao mar sem pressa"_s, u"Fogo pequeno aquece a casa"_s};
    return files;
}

struct Word {
    QString text;
    QRectF box; // in points, from the sheet's top left corner
};

QString pdftotext(const QStringList& arguments) {
    QProcess tool;
    tool.start(u"pdftotext"_s, arguments);
    if (!tool.waitForFinished(10000) || tool.exitCode() != 0)
        qFatal("pdftotext failed (is poppler-utils installed?): %s",
               tool.readAllStandardError().constData());
    return QString::fromUtf8(tool.readAllStandardOutput());
}

// The words on the sheet, blanks and line breaks made single blanks.
QString sheetText(const QString& pdf) {
    return pdftotext({pdf, u"-"_s}).simplified();
}

std::vector<Word> sheetWords(const QString& pdf) {
    static const QRegularExpression word(
        uR"re(<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
        uR"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"_s);
    std::vector<Word> words;
    for (const auto& match : word.globalMatch(pdftotext({u"-bbox"_s, pdf, u"-"_s}))) {
        const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
        const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
        words.push_back({match.captured(5), QRectF(topLeft, bottomRight)});
    }
    return words;
}

QString manyWords(int count) {
    static const QStringList pool = {u"esperança"_s, u"caminho"_s, u"coragem"_s, u"sereno"_s,
                                     u"luz"_s,       u"amanhã"_s,  u"semente"_s, u"jardim"_s};
    QStringList words;
    for (int i = 0; i < count; ++i)
        words << pool.at(i % pool.size());
    return words.join(u' ');
}

// Twips to points, the unit pdftotext measures in.
constexpr double points(int twips) {
    return twips / 20.0;
}

struct Session {
    Session() : disk(printFiles()), run(disk.run) {
        run.services.drawNext({0.0f});
        run.start();
    }

    frmPrincipal& main() { return run.main(); }
    QString shownText() { return main().textBox(u"TxtTexto").Text(); }

    // Presses "Imprimir" with the sheet going to a new file; returns the file.
    QString print() {
        run.services.printTo = pdfs.file(u"folha-%1.pdf"_s.arg(++sheets));
        main().button(u"cmdImprimir").click();
        return run.services.printTo;
    }

    ProgramOnDisk disk;
    ProgramRun& run;
    ScratchDirectory pdfs;
    int sheets = 0;
};

} // namespace

class TestRel : public QObject {
    Q_OBJECT

private slots:
    // The machine's own printers stay out of the test: the print server named here does not exist.
    void initTestCase() { qputenv("CUPS_SERVER", "/pasta-que-nao-existe/cups.sock"); }

    void sheetCarriesTitleAndMessage_data() {
        QTest::addColumn<bool>("second");
        QTest::addColumn<QString>("shown"); // a text put on display instead of the pick; null: none

        QTest::newRow("first collection") << false << QString();
        QTest::newRow("second collection") << true << QString();
        QTest::newRow("empty text") << false << u""_s;
        QTest::newRow("line breaks") << false << u"Primeira linha\nsegunda linha"_s;
    }

    void sheetCarriesTitleAndMessage() {
        QFETCH(bool, second);
        QFETCH(QString, shown);
        Session session;
        if (second)
            session.main().option(u"OptTarvenas").click();
        if (!shown.isNull())
            session.main().textBox(u"TxtTexto").setText(shown);
        const QString message = session.shownText();

        const QString sheet = sheetText(session.print());
        QVERIFY(session.run.services.boxes.empty());
        QVERIFY2(sheet.startsWith(title), qPrintable(sheet));
        QCOMPARE(sheet.mid(title.size()).trimmed(), message.simplified());
        QVERIFY2(!sheet.contains(QRegularExpression(u"\\d"_s)), qPrintable(sheet));
    }

    // The page is loaded once and kept hidden; each press copies the text shown at that moment.
    void eachPrintTakesTheMessageOnDisplay() {
        Session session;
        const QString first = session.shownText();
        const QString firstSheet = session.print();
        FrmRel* page = session.run.program.loadedForm<FrmRel>();
        QVERIFY(page != nullptr);

        session.run.services.drawNext({0.5f});
        session.main().button(u"cmdProxima").click();
        const QString second = session.shownText();
        QVERIFY(second != first);
        const QString secondSheet = session.print();

        QCOMPARE(sheetText(firstSheet), title + u' ' + first);
        QCOMPARE(sheetText(secondSheet), title + u' ' + second);
        QCOMPARE(session.run.program.loadedForm<FrmRel>(), page);
        QVERIFY(!page->isVisible());
        QCOMPARE(session.run.services.prints, 2);
    }

    void longMessageStaysInsideItsLabel_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("fits");

        QTest::newRow("wraps onto several lines") << manyWords(60) << true;
        QTest::newRow("cut at the label's bottom") << manyWords(1500) << false;
        QTest::newRow("a word wider than the label")
            << u"Uma palavra sem fim: "_s + u"esperança"_s.repeated(30) << true;
    }

    // Measured from the title, which is centred in its own label: the page is printed at true size
    // wherever the printable area starts. A word wider than the label is broken at its edge, as the
    // message box on screen breaks it.
    void longMessageStaysInsideItsLabel() {
        QFETCH(QString, message);
        QFETCH(bool, fits);
        Session session;
        session.main().textBox(u"TxtTexto").setText(message);
        std::vector<Word> words = sheetWords(session.print());
        QVERIFY(words.size() > 3);
        QCOMPARE(words.at(0).text + u' ' + words.at(1).text + u' ' + words.at(2).text, title);
        const double centre = (words.at(0).box.left() + words.at(2).box.right()) / 2;
        const double pageLeft = centre - points(2520 + 6135 / 2);
        const double pageTop = words.at(0).box.top() - points(240);
        const QRectF label(pageLeft + points(1200), pageTop + points(960), points(8775),
                           points(5895));
        words.erase(words.begin(), words.begin() + 3);

        QString printed;
        for (const Word& word : words)
            printed += word.text;
        const QString whole = QString(message).remove(u' ');
        QCOMPARE(printed == whole, fits);
        QVERIFY(whole.startsWith(printed));
        QVERIFY(words.size() > 1);
        QVERIFY2(qAbs(words.front().box.left() - label.left()) < 3, "not at true size");
        QVERIFY(words.back().box.top() > words.front().box.bottom());
        // The line that the bottom edge cuts through is still found, as its upper half is printed.
        const QRectF allowed = label.adjusted(-2, -2, 2, 10);
        for (const Word& word : words)
            QVERIFY2(allowed.contains(word.box), qPrintable(word.text));
    }

    // No printer, a printer that refuses or fails: the user reads why, and the program goes on.
    void failedPrintIsReportedAndProgramGoesOn() {
        Session session;
        const QString message = session.shownText();
        session.run.services.printTo = u"/pasta-que-nao-existe/folha.pdf"_s;
        session.main().button(u"cmdImprimir").click();

        QCOMPARE(session.run.services.boxes.size(), std::size_t(1));
        const RecordingServices::Box& box = session.run.services.boxes.back();
        QVERIFY2(box.prompt.startsWith(u"Não foi possível imprimir a mensagem: a impressora"_s),
                 qPrintable(box.prompt));
        QCOMPARE(box.style, toolkit::vbExclamation);
        QCOMPARE(box.title, title);
        QVERIFY(!session.run.program.ended());
        QVERIFY(session.run.services.endings.empty());
        QCOMPARE(session.shownText(), message);
        QVERIFY(session.main().timer(u"tmpTimer").isRunning());

        QVERIFY(!sheetText(session.print()).isEmpty());
    }

    // The real service, with no print server to find a printer on or to take a job.
    void noPrinterIsAReason() {
        Session session;
        FrmRel& page = toolkit::Load<FrmRel>();
        const toolkit::Failure failure = toolkit::printOnDefaultPrinter(page);
        QVERIFY(failure.has_value());
        QVERIFY2(failure->contains(u"impressora"_s), qPrintable(*failure));

        const QString sheet = session.print();
        const toolkit::Failure refused = toolkit::submitToQueue(u"fila/instancia"_s, sheet);
        QVERIFY(refused.has_value());
        QVERIFY2(refused->startsWith(u"a impressora \"fila/instancia\" não pôde ser alcançada: o "
                                     "servidor de impressão não respondeu ("_s),
                 qPrintable(*refused));
    }
};

QTEST_MAIN(TestRel)
#include "test_rel.moc"
