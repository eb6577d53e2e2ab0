// The main window started in-process on scratch data: start-up, the message on display and every
// way of changing it, and closing.

#include "data/collections.h"
#include "data/message_box.h"
#include "support/program_run.h"
#include "windows/localizar.h"
#include "windows/module1.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeySequence>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;
using windows::frmPrincipal;

namespace {

QString shownNumber(frmPrincipal& window) {
    return window.textBox(u"TxtNuMensagem").Text();
}

QString shownText(frmPrincipal& window) {
    return window.textBox(u"TxtTexto").Text();
}

toolkit::HScrollBar& browser(frmPrincipal& window) {
    return window.scrollBar(u"hscrollBrowser");
}

// Messages are named after their collection and number ("Q3", "T2"), so what is shown can be
// checked against the number shown.
void expectConsistent(frmPrincipal& window, QChar collection) {
    const int number = browser(window).Value();
    QCOMPARE(window.nuAtual(), number);
    QCOMPARE(shownNumber(window).trimmed(), QString::number(number));
    QCOMPARE(shownText(window), collection + QString::number(number));
}

// A run of keys(): where the focus stands, the keys pressed or controls clicked in turn, and what
// the window shows then. With the default draws the start shows 1, two picks 4 and then 7, and
// the next pick 3 (or 2 of the second collection).
struct KeysRow {
    QString focus = {};
    QStringList steps = {};
    QString number = {};
    int picks = 2;
    QString clipboard = {};
    bool card = false; // a card on the clipboard beside the text
    QString criterion = {};
    int selected = 0; // characters selected in a focused text box
    bool findOpen = false;
    int prints = 0;
    std::vector<float> draws = {0.0f, 0.5f, 0.99f, 0.3f};
};

} // namespace

Q_DECLARE_METATYPE(KeysRow)

class TestPrincipal : public QObject {
    Q_OBJECT

private slots:
    // The collection tool, which has no screen, tells from the text alone whether a message
    // shows whole in the box; that estimate agrees with the real box wherever a text is not
    // within a tenth of the limit.
    void messageBoxEstimate_data() {
        QTest::addColumn<QString>("text");
        const QString prose =
            u"A paciência é a arte de esperar sem perder a alegria, e quem planta "
            u"hoje com cuidado colhe amanhã com gratidão o que o tempo fez crescer "
            u"devagar no jardim da vida. "_s.repeated(8);
        QTest::newRow("prose of 600 characters") << prose.left(600);
        QTest::newRow("prose of 760 characters") << prose.left(760);
        QTest::newRow("10 short lines") << u"linha\n"_s.repeated(9) + u"fim"_s;
        QTest::newRow("14 short lines") << u"linha\n"_s.repeated(13) + u"fim"_s;
        QTest::newRow("a word of 540 letters") << QString(540, u'a');
        QTest::newRow("a word of 680 letters") << QString(680, u'a');
        QTest::newRow("blank lines between paragraphs")
            << prose.left(200) + u"\n\n\n\n\n"_s + prose.left(100);
    }

    void messageBoxEstimate() {
        QFETCH(QString, text);
        ProgramOnDisk disk;
        QVERIFY(disk.run.start());
        toolkit::TextBox& box = disk.run.main().textBox(u"TxtTexto");
        auto* editor = qobject_cast<QPlainTextEdit*>(box.editor());
        QVERIFY(editor != nullptr);
        box.setText(text);
        QApplication::processEvents();
        const bool shownWhole = editor->verticalScrollBar()->maximum() == 0;
        QCOMPARE(data::fitsMessageBox(text), shownWhole);
    }

    // How each options value is read is the options' own test; here the window follows it.
    void startUp_data() {
        QTest::addColumn<QString>("iniCom");
        QTest::addColumn<QString>("segTem");
        QTest::addColumn<QString>("comTem");
        QTest::addColumn<bool>("first");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("ticking");

        QTest::newRow("IniCom 1, 15 s on")
            << u"1"_s << u"15"_s << u"1"_s << true << 15000 << true << true;
        QTest::newRow("IniCom 2") << u"2"_s << u"15"_s << u"1"_s << false << 15000 << true << true;
        QTest::newRow("SegTem 0 never ticks")
            << u"1"_s << u"0"_s << u"1"_s << true << 0 << true << false;
        QTest::newRow("SegTem 30 off")
            << u"1"_s << u"30"_s << u"0"_s << true << 30000 << false << false;
    }

    void startUp() {
        QFETCH(QString, iniCom);
        QFETCH(QString, segTem);
        QFETCH(QString, comTem);
        QFETCH(bool, first);
        QFETCH(int, interval);
        QFETCH(bool, enabled);
        QFETCH(bool, ticking);

        ProgramFiles files;
        files.iniCom = iniCom;
        files.segTem = segTem;
        files.comTem = comTem;
        ProgramOnDisk program(files);
        ProgramRun& run = program.run;
        run.services.drawNext({0.5f});
        QVERIFY(run.start());

        frmPrincipal& window = run.main();
        QVERIFY(window.isVisible());
        QVERIFY(run.services.boxes.empty());
        QCOMPARE(window.option(u"OptQuelmar").Value(), first);
        QCOMPARE(window.option(u"OptTarvenas").Value(), !first);
        QCOMPARE(window.currentCollection(),
                 first ? window.firstCollection() : window.secondCollection());
        const int rows = first ? 7 : 4;
        QCOMPARE(window.totMensagens(), rows);
        QCOMPARE(browser(window).Max(), rows);
        expectConsistent(window, first ? u'Q' : u'T');
        QCOMPARE(window.timer(u"tmpTimer").Interval(), interval);
        QCOMPARE(window.timer(u"tmpTimer").Enabled(), enabled);
        QCOMPARE(window.timer(u"tmpTimer").isRunning(), ticking);
    }

    void startUpFailure_data() {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");

        // Every other damaged file has its row in test_damaged_files. Here both collections go too:
        // the options file is reported before they are tried.
        QTest::newRow("no opcoes") << u"opcoes quelmar.mdb tarvenas.mdb"_s << 101 << u"opcoes"_s;
    }

    void startUpFailure() {
        QFETCH(QString, removed);
        QFETCH(int, number);
        QFETCH(QString, named);

        ProgramOnDisk program;
        ProgramRun& run = program.run;
        const ScratchDirectory& directory = program.directory;
        for (const QString& file : removed.split(u' ', Qt::SkipEmptyParts))
            QVERIFY(QFile::remove(directory.file(file)));
        QVERIFY(!run.start());

        QVERIFY(run.program.ended());
        QCOMPARE(run.program.exitStatus(), 1);
        QCOMPARE(run.services.endings, std::vector<int>{1});
        QCOMPARE(run.services.boxes.size(), std::size_t{1});
        const RecordingServices::Box& box = run.services.boxes.front();
        QCOMPARE(box.title, u"Quelmar de Orivela"_s);
        QCOMPARE(box.style, toolkit::vbCritical);
        QVERIFY2(box.prompt.startsWith(u"Erro em tempo de execução '%1':\n\n"_s.arg(number)),
                 qPrintable(box.prompt));
        QVERIFY2(box.prompt.contains(named), qPrintable(box.prompt));
        auto* window = run.program.loadedForm<frmPrincipal>();
        QVERIFY(window == nullptr || !window->isVisible());
    }

    // The plain form stays only after a pick that leaves the scroll bar where it stood.
    void numberForms() {
        ProgramOnDisk program;
        ProgramRun& run = program.run;
        run.services.drawNext({0.3f}); // floor(7 * 0.3 + 1) = 3
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        QCOMPARE(shownNumber(window), u" 3"_s);

        const int reseeds = run.services.reseeds;
        window.button(u"cmdProxima").click();
        QCOMPARE(run.services.reseeds, reseeds + 1);
        QCOMPARE(shownNumber(window), u"3"_s);
        expectConsistent(window, u'Q');

        run.services.drawNext({0.99f}); // 7
        window.button(u"cmdProxima").click();
        QCOMPARE(shownNumber(window), u" 7"_s);
        expectConsistent(window, u'Q');

        browser(window).slider()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(shownNumber(window), u" 6"_s);
        expectConsistent(window, u'Q');
    }

    void oneMessageCollection() {
        ProgramFiles files;
        files.quelmar = {u"Q1"_s};
        ProgramOnDisk program(files);
        ProgramRun& run = program.run;
        run.services.drawNext({0.999f, 0.0f, 0.5f});
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        QCOMPARE(browser(window).Max(), 1);
        for (int pick = 0; pick < 3; ++pick) {
            window.button(u"cmdProxima").click();
            QCOMPARE(shownNumber(window), u"1"_s);
            expectConsistent(window, u'Q');
        }
    }

    void switchToSmallerCollection() {
        ProgramOnDisk program;
        ProgramRun& run = program.run;
        run.services.drawNext({0.99f}); // 7 of the first collection
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        QCOMPARE(browser(window).Value(), 7);

        run.services.drawNext({0.5f}); // floor(4 * 0.5 + 1) = 3 of the second
        window.option(u"OptTarvenas").click();
        QCOMPARE(window.currentCollection(), window.secondCollection());
        QCOMPARE(window.totMensagens(), 4);
        QCOMPARE(browser(window).Max(), 4);
        QCOMPARE(browser(window).Value(), 3);
        expectConsistent(window, u'T');

        run.services.drawNext({0.0f});
        window.option(u"OptQuelmar").click();
        QCOMPARE(browser(window).Max(), 7);
        expectConsistent(window, u'Q');
    }

    // Each position the thumb passes shows its message; letting go shows the last one once more.
    void dragShowsEveryPosition() {
        ProgramOnDisk program;
        ProgramRun& run = program.run;
        run.services.drawNext({0.0f});
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        toolkit::HScrollBar& bar = browser(window);
        toolkit::TextBox& text = window.textBox(u"TxtTexto");

        bar.slider()->setSliderDown(true);
        for (int position : {2, 3, 5}) {
            text.setText(u"-"_s);
            bar.slider()->setSliderPosition(position);
            QCOMPARE(bar.Value(), position);
            QCOMPARE(text.Text(), u"Q%1"_s.arg(position));
            QCOMPARE(shownNumber(window), u" %1"_s.arg(position));
        }
        text.setText(u"-"_s);
        bar.slider()->setSliderDown(false);
        QCOMPARE(text.Text(), u"Q5"_s);
        expectConsistent(window, u'Q');

        // A press and release without a move is no change.
        text.setText(u"-"_s);
        bar.slider()->setSliderDown(true);
        bar.slider()->setSliderDown(false);
        QCOMPARE(text.Text(), u"-"_s);
    }

    void timerTicksLikeTheButton() {
        ProgramFiles files;
        files.segTem = u"0.05"_s;
        ProgramOnDisk program(files);
        ProgramRun& run = program.run;
        run.services.drawNext({0.0f, 0.5f, 0.99f});
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        QCOMPARE(window.timer(u"tmpTimer").Interval(), 50);
        const int reseeds = run.services.reseeds;
        QTRY_VERIFY_WITH_TIMEOUT(run.services.reseeds >= reseeds + 2, 5000);
        QCOMPARE(run.services.draws, run.services.reseeds);
        expectConsistent(window, u'Q');
    }

    void mnemonicPressesTheButton() {
        ProgramOnDisk program;
        ProgramRun& run = program.run;
        run.services.drawNext({0.0f, 0.99f});
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(browser(window).Value(), 7);
        expectConsistent(window, u'Q');
    }

    void keys_data() {
        QTest::addColumn<KeysRow>("row");
        const auto row = [](const char* name, const QString& focus, const QStringList& steps,
                            const QString& number, KeysRow more = {}) {
            more.focus = focus;
            more.steps = steps;
            more.number = number;
            QTest::newRow(name) << more;
        };
        const QString quelmar1 = u"Q1\n— Quelmar de Orivela, nº 1"_s;
        const QString back = u"Alt+Left"_s;

        row("Alt+Left shows the one before", u"cmdProxima"_s, {back}, u" 4"_s);
        row("Alt+Left from the scroll bar, twice", u"hscrollBrowser"_s, QStringList(2, back),
            u" 1"_s);
        row("Alt+Left stops at the oldest", u"TxtTexto"_s, QStringList(3, back), u" 1"_s);
        row("Alt+Right goes forward and stops at the newest", u"TxtNuMensagem"_s,
            QStringList(2, back) + QStringList(3, u"Alt+Right"_s), u" 7"_s);
        row("a new message drops the ones ahead", u"cmdProxima"_s,
            {back, back, u"cmdProxima"_s, u"Alt+Right"_s, back}, u" 1"_s);
        row("the history keeps the last 100", u"cmdProxima"_s, QStringList(100, back), u" 7"_s,
            {.picks = 100, .draws = {0.0f, 0.99f}});
        row("a switch starts a new history", u"cmdProxima"_s, {u"OptTarvenas"_s, back, u"Ctrl+C"_s},
            u" 2"_s, {.clipboard = u"T2\n— Tarvenas de Cendra, nº 2"_s});
        row("Ctrl+C copies the message and its source", u"cmdProxima"_s, {u"Ctrl+C"_s}, u"1"_s,
            {.picks = 0, .clipboard = quelmar1});
        row("Ctrl+C in the number box copies the message", u"TxtNuMensagem"_s, {u"Ctrl+C"_s},
            u"1"_s, {.picks = 0, .clipboard = quelmar1});
        row("Ctrl+C copies a selection alone", u"TxtTexto"_s, {u"Ctrl+C"_s}, u"1"_s,
            {.picks = 0, .clipboard = u"Q"_s, .selected = 1});
        row("Ctrl+Shift+C copies the card and the text", u"hscrollBrowser"_s, {u"Ctrl+Shift+C"_s},
            u"1"_s, {.picks = 0, .clipboard = quelmar1, .card = true});
        row("F3 finds the next from the scroll bar", u"hscrollBrowser"_s, {u"F3"_s}, u" 2"_s,
            {.picks = 0, .criterion = u"Mensagem Like \"*\""_s});
        row("Ctrl+F opens Localizar", u"TxtTexto"_s, {u"Ctrl+F"_s}, u"1"_s,
            {.picks = 0, .findOpen = true});
        row("Ctrl+P prints", u"cmdFechar"_s, {u"Ctrl+P"_s}, u"1"_s, {.picks = 0, .prints = 1});
        row("none of them in another window", u"FrmLocalizar"_s,
            {back, u"F3"_s, u"Ctrl+P"_s, u"Ctrl+C"_s, u"Ctrl+Shift+C"_s}, u" 7"_s,
            {.criterion = u"Mensagem Like \"*\""_s, .findOpen = true});
    }

    // Keys go to whatever has the focus, as the keyboard sends them.
    void keys() {
        QFETCH(KeysRow, row);
        ProgramOnDisk program;
        ProgramRun& run = program.run;
        ScratchDirectory pdfs;
        run.services.printTo = pdfs.file(u"folha.pdf"_s);
        run.services.drawNext(row.draws);
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        for (int pick = 0; pick < row.picks; ++pick)
            window.button(u"cmdProxima").click();
        windows::module1().UltimoCriterio = row.criterion;
        QApplication::clipboard()->clear();

        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        if (row.focus == u"FrmLocalizar") {
            QVERIFY(QTest::qWaitForWindowActive(&run.open<windows::FrmLocalizar>(u"cmdLocalizar")));
        } else {
            QWidget* control = window.findChild<QWidget*>(row.focus);
            QVERIFY(control != nullptr);
            if (auto* bar = dynamic_cast<toolkit::HScrollBar*>(control))
                control = bar->slider();
            // A text box hands the focus on to its editor.
            control->setFocus();
            if (auto* editor = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget())) {
                QTextCursor cursor = editor->textCursor();
                cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, row.selected);
                editor->setTextCursor(cursor);
            }
        }

        // A step is a key, or a control to click.
        for (const QString& step : row.steps) {
            if (auto* clicked = window.findChild<QAbstractButton*>(step)) {
                clicked->click();
                continue;
            }
            const QKeyCombination key = QKeySequence::fromString(step)[0];
            QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        }

        QCOMPARE(shownNumber(window), row.number);
        expectConsistent(window,
                         window.currentCollection() == window.secondCollection() ? u'T' : u'Q');
        QCOMPARE(QApplication::clipboard()->text(), row.clipboard);
        const QMimeData* entry = QApplication::clipboard()->mimeData();
        const QByteArray png = entry ? entry->data(u"image/png"_s) : QByteArray();
        QCOMPARE(QImage::fromData(png).size(), row.card ? QSize(1080, 1080) : QSize(0, 0));
        QCOMPARE(run.program.loadedForm<windows::FrmLocalizar>() != nullptr, row.findOpen);
        QCOMPARE(run.services.prints, row.prints);
        QVERIFY(run.services.boxes.empty());
    }

    void closing_data() {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Fechar") << true;
        QTest::newRow("close box") << false;
    }

    void closing() {
        QFETCH(bool, byButton);
        ProgramOnDisk program;
        ProgramRun& run = program.run;
        QVERIFY(run.start());
        frmPrincipal& window = run.main();
        if (byButton)
            window.button(u"cmdFechar").click();
        else
            window.close();
        QVERIFY(run.program.ended());
        QCOMPARE(run.program.exitStatus(), 0);
        QCOMPARE(run.services.endings, std::vector<int>{0});
        QVERIFY(run.services.boxes.empty());
        QVERIFY(!window.isVisible());

        // Nothing runs after the end, not even a timer tick or a click.
        const int draws = run.services.draws;
        window.button(u"cmdProxima").click();
        QCOMPARE(run.services.draws, draws);
    }
};

QTEST_MAIN(TestPrincipal)
#include "test_principal.moc"
