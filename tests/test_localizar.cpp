// The Find window and find-next, driven as a user would: typing into the boxes and pressing the
// buttons of the real windows, on scratch collections written for each test.

#include "data/search.h"
#include "support/program_run.h"
#include "windows/localizar.h"
#include "windows/module1.h"

#include <QApplication>
#include <QLocale>
#include <QPointer>
#include <QTest>

using namespace Qt::StringLiterals;
using windows::FrmLocalizar;
using windows::frmPrincipal;

namespace {

// What a press of "Localizar" ends in, besides a message found (its number).
constexpr int missed = 0;
constexpr int invalidNumber = -1;
constexpr int noSearch = -2;

const QString notFoundPrompt = u"Palavra chave ou número não encontrado"_s;
const QString notFoundTitle = u"Palavra ou número não encontrado"_s;

// The keyword tests rest on where each word stands in these texts.
ProgramFiles searchFiles() {
    ProgramFiles files;
    files.quelmar = {u"Amor é o começo de tudo"_s,
                     u"Quem semeia amor colhe paz"_s,
                     u"Sem amor, nada floresce"_s,
                     u"O amorzinho e o amor maior"_s,
                     u"Ele disse \"sim\" ao amanhã"_s,
                     u"Tudo passa, só o amor fica"_s,
                     u"Paz e  bem sempre"_s};
    files.tarvenas = {u"T um"_s, u"T dois"_s, u"Um amor sereno"_s, u"T quatro"_s};
    files.comTem = u"0"_s;
    return files;
}

QString quelmar(int number) {
    return searchFiles().quelmar.at(number - 1);
}

// Key presses carrying the text, accented letters included, as a keyboard would send them.
void type(toolkit::TextBox& box, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box.editor(), Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
}

// One program on its own directory, started with the first pick at message 1.
struct Session {
    explicit Session(std::vector<float> draws = {0.0f}) : disk(searchFiles()), run(disk.run) {
        run.services.drawNext(std::move(draws));
        started = run.start();
    }

    frmPrincipal& main() { return run.main(); }
    FrmLocalizar* find() { return run.program.loadedForm<FrmLocalizar>(); }
    QString shownText() { return main().textBox(u"TxtTexto").Text(); }
    QString shownNumber() { return main().textBox(u"TxtNuMensagem").Text(); }
    int scrollValue() { return main().scrollBar(u"hscrollBrowser").Value(); }
    std::size_t boxCount() const { return run.services.boxes.size(); }

    FrmLocalizar& openFind() { return run.open<FrmLocalizar>(u"cmdLocalizar"); }

    // Types into the Find window's boxes and presses its search button.
    void search(const QString& keyword, const QString& number = {}) {
        FrmLocalizar& window = openFind();
        type(window.textBox(u"Text1"), keyword);
        type(window.textBox(u"Text2"), number);
        window.button(u"cmdLoc").click();
    }

    void findNext() { main().button(u"Command1").click(); }

    ProgramOnDisk disk;
    ProgramRun& run;
    bool started = false;
};

// The last box was the search's miss, with its own title and the exclamation style.
void verifyNotFoundBox(const Session& session, std::size_t boxesBefore) {
    QCOMPARE(session.boxCount(), boxesBefore + 1);
    const RecordingServices::Box& box = session.run.services.boxes.back();
    QCOMPARE(box.prompt, notFoundPrompt);
    QCOMPARE(box.title, notFoundTitle);
    QCOMPARE(box.style, toolkit::vbExclamation);
}

void verifyShown(Session& session, int number, const QString& text, const QString& numberBox) {
    QCOMPARE(session.shownText(), text);
    QCOMPARE(session.shownNumber(), numberBox);
    QCOMPARE(session.scrollValue(), number);
}

} // namespace

class TestLocalizar : public QObject {
    Q_OBJECT

private slots:
    // A decimal comma in the user's locale must not leak into a criterion.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }

    void search_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("found");

        const QString none;
        // The keyword needs a blank right before and right after it.
        QTest::newRow("between blanks") << u"amor"_s << none << 2;
        QTest::newRow("any letter case") << u"AMOR"_s << none << 2;
        QTest::newRow("blanks around trimmed") << u"  amor  "_s << none << 2;
        QTest::newRow("in the message on display") << u"começo"_s << none << 1;
        QTest::newRow("first word") << u"Quem"_s << none << missed;
        QTest::newRow("last word") << u"tudo"_s << none << missed;
        QTest::newRow("before a comma") << u"passa"_s << none << missed;
        QTest::newRow("after a quotation mark") << u"sim"_s << none << missed;
        QTest::newRow("part of a word") << u"amo"_s << none << missed;
        QTest::newRow("phrase, blanks as typed") << u"e  bem"_s << none << 7;
        QTest::newRow("phrase, other blanks") << u"e bem"_s << none << missed;
        QTest::newRow("double quote literal") << u"\"sim\""_s << none << 5;
        QTest::newRow("unbalanced quote") << u"disse \"sim"_s << none << missed;
        QTest::newRow("asterisk any run") << u"a*r"_s << none << 2;
        QTest::newRow("open bracket") << u"[amor"_s << none << missed;
        QTest::newRow("keyword wins over bad number") << u"amor"_s << u"abc"_s << 2;

        QTest::newRow("number") << none << u"4"_s << 4;
        QTest::newRow("keyword of blanks") << u"   "_s << u"4"_s << 4;
        QTest::newRow("number in blanks") << none << u"  4 "_s << 4;
        QTest::newRow("no such number") << none << u"99"_s << missed;
        QTest::newRow("negative") << none << u"-3"_s << missed;
        QTest::newRow("zero") << none << u"0"_s << missed;
        QTest::newRow("fraction") << none << u"1.5"_s << missed;
        QTest::newRow("beyond 16 bits") << none << u"1e20"_s << missed;
        // What is a number is the conversions' rule; a decimal comma in the user's locale is not.
        QTest::newRow("decimal comma") << none << u"1,5"_s << invalidNumber;
        QTest::newRow("both blank") << u"  "_s << u"   "_s << noSearch;
    }

    // A hit shows the message and closes the window; anything else leaves the window open with what
    // was typed and the display as it was.
    void search() {
        QFETCH(QString, keyword);
        QFETCH(QString, number);
        QFETCH(int, found);

        Session session;
        QVERIFY(session.started);
        verifyShown(session, 1, quelmar(1), u"1"_s);
        session.search(keyword, number);

        if (found > 0) {
            QCOMPARE(session.boxCount(), std::size_t{0});
            QCOMPARE(session.find(), nullptr);
            // Remembered for find-next: the keyword's criterion when there is one.
            const QString keywordGiven = keyword.trimmed();
            QCOMPARE(windows::module1().UltimoCriterio, keywordGiven.isEmpty()
                                                            ? data::typedNumberCriterion(number)
                                                            : data::keywordCriterion(keywordGiven));
            // Moving the scroll bar rewrites the number box; a hit where it stood does not.
            verifyShown(session, found, quelmar(found), found == 1 ? u"1"_s : u" %1"_s.arg(found));
            QCOMPARE(session.main().nuAtual(), found);
            return;
        }
        if (found == missed)
            verifyNotFoundBox(session, 0);
        if (found == invalidNumber) {
            QCOMPARE(session.boxCount(), std::size_t{1});
            const RecordingServices::Box& box = session.run.services.boxes.back();
            QCOMPARE(box.prompt, u"O valor digitado não é numérico"_s);
            QCOMPARE(box.title, u"Valor inválido"_s);
            QCOMPARE(box.style, toolkit::vbExclamation);
        }
        if (found == noSearch)
            QCOMPARE(session.boxCount(), std::size_t{0});
        QVERIFY(session.find() != nullptr);
        QVERIFY(session.find()->isVisible());
        QCOMPARE(session.find()->textBox(u"Text1").Text(), keyword);
        QCOMPARE(session.find()->textBox(u"Text2").Text(), number);
        QVERIFY(windows::module1().UltimoCriterio.isEmpty());
        verifyShown(session, 1, quelmar(1), u"1"_s);
        QVERIFY(!session.run.program.ended());
    }

    void reopeningAfterHitStartsEmpty() {
        Session session;
        QVERIFY(session.started);
        session.search(u"amor"_s, u"7"_s);
        QCOMPARE(session.find(), nullptr);

        FrmLocalizar& reopened = session.openFind();
        QCOMPARE(reopened.textBox(u"Text1").Text(), QString());
        QCOMPARE(reopened.textBox(u"Text2").Text(), QString());
        QVERIFY(QTest::qWaitForWindowActive(&reopened));
        QCOMPARE(QApplication::focusWidget(), reopened.textBox(u"Text1").editor());
    }

    void secondOpeningKeepsTyping() {
        Session session;
        QVERIFY(session.started);
        FrmLocalizar& first = session.openFind();
        type(first.textBox(u"Text1"), u"paz"_s);
        first.showMinimized();

        FrmLocalizar& second = session.openFind();
        QCOMPARE(&second, &first);
        QVERIFY(!second.isMinimized());
        QCOMPARE(second.textBox(u"Text1").Text(), u"paz"_s);
        QCOMPARE(session.boxCount(), std::size_t{0});
    }

    void closingByCancelOrCloseBox_data() {
        QTest::addColumn<bool>("byCancel");
        QTest::newRow("Cancelar") << true;
        QTest::newRow("close box") << false;
    }

    void closingByCancelOrCloseBox() {
        QFETCH(bool, byCancel);
        Session session;
        QVERIFY(session.started);
        FrmLocalizar& window = session.openFind();
        type(window.textBox(u"Text1"), u"amor"_s);
        if (byCancel)
            window.button(u"FrmLocCancel").click();
        else
            window.close();

        QCOMPARE(session.find(), nullptr);
        QVERIFY(windows::module1().UltimoCriterio.isEmpty());
        QVERIFY(!session.run.program.ended());
        QCOMPARE(session.openFind().textBox(u"Text1").Text(), QString());
    }

    // Before any hit, and after searches that all missed, find-next only opens the Find window.
    void findNextWithoutCriterionOpensFind() {
        Session session;
        QVERIFY(session.started);
        session.findNext();
        QVERIFY(session.find() != nullptr);
        QVERIFY(session.find()->isVisible());
        QCOMPARE(session.boxCount(), std::size_t{0});

        session.search(u"xyz"_s);
        verifyNotFoundBox(session, 0);
        session.find()->Unload();
        session.findNext();
        QVERIFY(session.find() != nullptr);
        QCOMPARE(session.boxCount(), std::size_t{1});
        verifyShown(session, 1, quelmar(1), u"1"_s);
    }

    void findNextWalksMatchesInOrder() {
        Session session;
        QVERIFY(session.started);
        session.search(u"amor"_s);
        verifyShown(session, 2, quelmar(2), u" 2"_s);
        session.findNext();
        verifyShown(session, 4, quelmar(4), u" 4"_s);
        session.findNext();
        verifyShown(session, 6, quelmar(6), u" 6"_s);
        QCOMPARE(session.boxCount(), std::size_t{0});

        // Past the last match: reported, and nothing else changes; it never wraps around.
        session.findNext();
        verifyNotFoundBox(session, 0);
        verifyShown(session, 6, quelmar(6), u" 6"_s);
        QCOMPARE(session.main().nuAtual(), 6);
        QCOMPARE(windows::module1().UltimoCriterio, data::keywordCriterion(u"amor"));
        QCOMPARE(session.find(), nullptr);
    }

    // A new search starts from the first message; when it misses, the criterion that last found
    // something stays, and find-next goes on with it after the message on display.
    void findNextAfterFailedSearchKeepsCriterion() {
        Session session;
        QVERIFY(session.started);
        session.search(u"amor"_s);
        session.findNext();
        verifyShown(session, 4, quelmar(4), u" 4"_s);

        session.search(u"xyz"_s);
        verifyNotFoundBox(session, 0);
        verifyShown(session, 4, quelmar(4), u" 4"_s);
        QCOMPARE(windows::module1().UltimoCriterio, data::keywordCriterion(u"amor"));

        session.findNext();
        QCOMPARE(session.boxCount(), std::size_t{1});
        verifyShown(session, 6, quelmar(6), u" 6"_s);
    }

    void findNextAfterCollectionSwitch() {
        Session session({0.0f});
        QVERIFY(session.started);
        session.search(u"amor"_s);
        verifyShown(session, 2, quelmar(2), u" 2"_s);

        session.main().option(u"OptTarvenas").click(); // draws 0.0: T1 on display
        verifyShown(session, 1, u"T um"_s, u" 1"_s);
        session.findNext();
        verifyShown(session, 3, u"Um amor sereno"_s, u" 3"_s);
        session.findNext();
        verifyNotFoundBox(session, 0);
        verifyShown(session, 3, u"Um amor sereno"_s, u" 3"_s);
    }

    // Numbers are unique, so a hit by number has no next match.
    void findNextAfterNumberHit() {
        Session session;
        QVERIFY(session.started);
        session.search({}, u"3"_s);
        verifyShown(session, 3, quelmar(3), u" 3"_s);
        session.findNext();
        verifyNotFoundBox(session, 0);
        verifyShown(session, 3, quelmar(3), u" 3"_s);
        QCOMPARE(windows::module1().UltimoCriterio, data::typedNumberCriterion(u"3"));
    }

    // The scroll bar already stands at the number found, so its change handler does not run and the
    // number box keeps the found row's plain form.
    void hitOnShownNumberKeepsPlainForm() {
        Session session({0.3f}); // floor(7 * 0.3 + 1) = 3
        QVERIFY(session.started);
        verifyShown(session, 3, quelmar(3), u" 3"_s);
        session.search({}, u"3"_s);
        QCOMPARE(session.find(), nullptr);
        verifyShown(session, 3, quelmar(3), u"3"_s);
        QCOMPARE(session.main().nuAtual(), 3);
    }

    // A tick puts another message on display, and the next find-next starts after it.
    void timerTickMovesFindNextStart() {
        Session session;
        QVERIFY(session.started);
        session.search(u"amor"_s);
        verifyShown(session, 2, quelmar(2), u" 2"_s);

        toolkit::Timer& timer = session.main().timer(u"tmpTimer");
        session.run.services.drawNext({0.6f}); // floor(7 * 0.6 + 1) = 5
        timer.setInterval(10);
        timer.setEnabled(true);
        QTRY_COMPARE_WITH_TIMEOUT(session.scrollValue(), 5, 5000);
        timer.setEnabled(false);

        session.findNext();
        verifyShown(session, 6, quelmar(6), u" 6"_s);
    }

    // Neither button is the window's default or cancel button.
    void enterAndEscPressNothing() {
        Session session;
        QVERIFY(session.started);
        FrmLocalizar& window = session.openFind();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        type(window.textBox(u"Text1"), u"amor"_s);
        QWidget* keyword = window.textBox(u"Text1").editor();
        QTest::keyClick(keyword, Qt::Key_Return);
        QTest::keyClick(keyword, Qt::Key_Enter);
        QTest::keyClick(keyword, Qt::Key_Escape);
        QCOMPARE(session.find(), &window);
        QVERIFY(window.isVisible());
        QVERIFY(windows::module1().UltimoCriterio.isEmpty());
        verifyShown(session, 1, quelmar(1), u"1"_s);
    }

    void closingMainWindowEndsAll() {
        Session session;
        QVERIFY(session.started);
        QPointer<FrmLocalizar> window = &session.openFind();
        session.main().close();
        QVERIFY(session.run.program.ended());
        QCOMPARE(session.run.program.exitStatus(), 0);
        QVERIFY(window.isNull() || !window->isVisible());
    }
};

QTEST_MAIN(TestLocalizar)
#include "test_localizar.moc"
