// The Options window against the options file on disk: what it shows when it opens, what "Ok"
// stores and applies to the main window's timer, and what a failed write leaves behind.

#include "platform/core/file_names.h"
#include "support/program_run.h"
#include "windows/opcoes.h"

#include <QApplication>
#include <QFileInfo>
#include <QTest>
#include <QToolButton>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using windows::FrmOpçoes;
using windows::frmPrincipal;

namespace {

const QString storedRowQuery = u"SELECT IniCom || '/' || SegTem || '/' || ComTem FROM opcoes"_s;

ProgramFiles optionsFiles(const QString& iniCom, const QString& segTem, const QString& comTem) {
    ProgramFiles files;
    files.iniCom = iniCom;
    files.segTem = segTem;
    files.comTem = comTem;
    return files;
}

// One program on its own directory, started with the given options row.
struct Session {
    Session(const QString& iniCom, const QString& segTem, const QString& comTem)
        : disk(optionsFiles(iniCom, segTem, comTem)), run(disk.run) {
        started = run.start();
    }

    frmPrincipal& main() { return run.main(); }
    FrmOpçoes* options() { return run.program.loadedForm<FrmOpçoes>(); }
    toolkit::Timer& timer() { return main().timer(u"tmpTimer"); }
    QString optionsPath() const { return disk.directory.file(u"opcoes"_s); }
    QString storedRow() const { return queryText(optionsPath(), storedRowQuery); }

    FrmOpçoes& openOptions() { return run.open<FrmOpçoes>(u"cmdOpcoes"); }

    ProgramOnDisk disk;
    ProgramRun& run;
    bool started = false;
};

// One of the spin control's arrows, pressed with the mouse.
void clickArrow(FrmOpçoes& window, const QString& name, int times = 1) {
    for (auto* arrow : window.upDown(u"UpDown1").findChildren<QToolButton*>()) {
        if (arrow->accessibleName() != name)
            continue;
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(arrow, Qt::LeftButton);
        return;
    }
    QFAIL(qPrintable(u"no arrow named "_s + name));
}

void clickUp(FrmOpçoes& window, int times = 1) {
    clickArrow(window, u"Aumentar"_s, times);
}

void clickDown(FrmOpçoes& window, int times = 1) {
    clickArrow(window, u"Diminuir"_s, times);
}

QString secondsShown(FrmOpçoes& window) {
    return window.textBox(u"Text1").Text();
}

QByteArrayList programFileNames() {
    return {"opcoes", "quelmar.mdb", "tarvenas.mdb"};
}

// A program directory made inside `parent` by `components`, given as bytes since they need not
// be text. Qt cannot remove what it cannot name, so this takes it down itself, files and all.
class ByteNamedDirectory {
public:
    ByteNamedDirectory(const QString& parent, const QByteArrayList& components)
        : m_path(QFile::encodeName(parent)) {
        for (const QByteArray& component : components) {
            m_path += '/' + component;
            if (::mkdir(m_path.constData(), 0755) != 0)
                qFatal("mkdir failed: %s", std::strerror(errno));
            m_made.push_back(m_path);
        }
    }
    ~ByteNamedDirectory() {
        const QByteArrayList leftOver = programFileNames() << "opcoes-journal";
        for (const QByteArray& name : leftOver)
            ::unlink((m_path + '/' + name).constData());
        for (auto made = m_made.rbegin(); made != m_made.rend(); ++made)
            ::rmdir(made->constData());
    }
    ByteNamedDirectory(const ByteNamedDirectory&) = delete;
    ByteNamedDirectory& operator=(const ByteNamedDirectory&) = delete;

    const QByteArray& path() const { return m_path; }

private:
    QByteArray m_path;
    QByteArrayList m_made;
};

void moveFiles(const QByteArray& from, const QByteArray& to) {
    for (const QByteArray& name : programFileNames())
        QCOMPARE(::rename((from + '/' + name).constData(), (to + '/' + name).constData()), 0);
}

} // namespace

class TestOpcoes : public QObject {
    Q_OBJECT

private slots:
    void filling_data() {
        QTest::addColumn<QString>("iniCom");
        QTest::addColumn<QString>("segTem");
        QTest::addColumn<QString>("comTem");
        QTest::addColumn<bool>("first");
        QTest::addColumn<int>("checked");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("spin");

        QTest::newRow("IniCom 2, off, 30")
            << u"2"_s << u"30"_s << u"0"_s << false << 0 << u"30"_s << 30;
        QTest::newRow("IniCom 1, on, 15")
            << u"1"_s << u"15"_s << u"1"_s << true << 1 << u"15"_s << 15;
        // How each value is read is the options' own test; here the window shows it. The spin
        // value is rounded, halves to even, and the text follows it.
        QTest::newRow("SegTem 2.5") << u"1"_s << u"2.5"_s << u"1"_s << true << 1 << u"2"_s << 2;
        // Outside the spin's range, or where it already stands: the text keeps the stored value.
        QTest::newRow("SegTem 0") << u"1"_s << u"0"_s << u"1"_s << true << 1 << u"0"_s << 1;
        QTest::newRow("SegTem 120") << u"1"_s << u"120"_s << u"1"_s << true << 1 << u"120"_s << 99;
        // A word the timer takes as 0 seconds opens the window all the same.
        QTest::newRow("SegTem a word")
            << u"1"_s << u"'abc'"_s << u"1"_s << true << 1 << u"abc"_s << 1;
        QTest::newRow("SegTem 1.4") << u"1"_s << u"1.4"_s << u"1"_s << true << 1 << u"1.4"_s << 1;
    }

    void filling() {
        QFETCH(QString, iniCom);
        QFETCH(QString, segTem);
        QFETCH(QString, comTem);
        QFETCH(bool, first);
        QFETCH(int, checked);
        QFETCH(QString, text);
        QFETCH(int, spin);

        Session session(iniCom, segTem, comTem);
        QVERIFY(session.started);
        FrmOpçoes& window = session.openOptions();
        QCOMPARE(window.option(u"Option1").Value(), first);
        QCOMPARE(window.option(u"Option2").Value(), !first);
        QCOMPARE(window.checkBox(u"Check1").Value(), checked);
        QCOMPARE(secondsShown(window), text);
        QCOMPARE(window.upDown(u"UpDown1").Value(), spin);
    }

    // The record changes only with "Ok"; the text follows the arrows and the keyboard.
    void arrowsChangeOnlyTheWindow() {
        Session session(u"2"_s, u"30"_s, u"0"_s);
        QVERIFY(session.started);
        FrmOpçoes& window = session.openOptions();
        clickUp(window);
        QCOMPARE(secondsShown(window), u"31"_s);
        QCOMPARE(session.storedRow(), u"2/30.0/0"_s);
        clickDown(window, 2);
        QCOMPARE(secondsShown(window), u"29"_s);
        QTest::keyClick(&window.upDown(u"UpDown1"), Qt::Key_Up);
        QCOMPARE(secondsShown(window), u"30"_s);

        clickDown(window, 40);
        QCOMPARE(secondsShown(window), u"1"_s);
        QCOMPARE(session.storedRow(), u"2/30.0/0"_s);
    }

    void okStoresAndAppliesAtOnce() {
        Session session(u"2"_s, u"30"_s, u"0"_s);
        QVERIFY(session.started);
        QVERIFY(!session.timer().Enabled());
        FrmOpçoes& window = session.openOptions();
        window.option(u"Option1").click();
        window.checkBox(u"Check1").click();
        clickDown(window, 10);
        QCOMPARE(secondsShown(window), u"20"_s);
        window.button(u"cmdOKop").click();

        QCOMPARE(session.options(), nullptr);
        QCOMPARE(session.storedRow(), u"1/20.0/1"_s);
        QCOMPARE(session.timer().Interval(), 20000);
        QVERIFY(session.timer().Enabled());
        QVERIFY(session.timer().isRunning());
        // The start-up collection waits for the next start.
        QCOMPARE(session.main().currentCollection(), session.main().secondCollection());
        QVERIFY(session.main().option(u"OptTarvenas").Value());
        QVERIFY(session.run.services.boxes.empty());
    }

    void choicesSurviveRestart() {
        ScratchDirectory directory;
        optionsFiles(u"2"_s, u"30"_s, u"0"_s).writeTo(directory);
        {
            ProgramRun first(directory.path());
            QVERIFY(first.start());
            FrmOpçoes& window = first.open<FrmOpçoes>(u"cmdOpcoes");
            window.option(u"Option1").click();
            window.checkBox(u"Check1").click();
            clickUp(window, 5);
            window.button(u"cmdOKop").click();
            QCOMPARE(first.program.loadedForm<FrmOpçoes>(), nullptr);
        }
        ProgramRun second(directory.path());
        QVERIFY(second.start());
        frmPrincipal& main = second.main();
        QCOMPARE(main.currentCollection(), main.firstCollection());
        QCOMPARE(main.timer(u"tmpTimer").Interval(), 35000);
        QVERIFY(main.timer(u"tmpTimer").Enabled());
    }

    // The period is still set from the seconds shown; only the state changes.
    void okUncheckedStopsTimer() {
        Session session(u"1"_s, u"15"_s, u"1"_s);
        QVERIFY(session.started);
        QVERIFY(session.timer().isRunning());
        FrmOpçoes& window = session.openOptions();
        window.checkBox(u"Check1").click();
        QCOMPARE(window.checkBox(u"Check1").Value(), 0);
        window.button(u"cmdOKop").click();

        QCOMPARE(session.storedRow(), u"1/15.0/0"_s);
        QVERIFY(!session.timer().Enabled());
        QVERIFY(!session.timer().isRunning());
        QCOMPARE(session.timer().Interval(), 15000);
    }

    void cancelAndCloseBoxStoreNothing_data() {
        QTest::addColumn<bool>("byCancel");
        QTest::newRow("Cancela") << true;
        QTest::newRow("close box") << false;
    }

    // Each new opening starts from the record again.
    void cancelAndCloseBoxStoreNothing() {
        QFETCH(bool, byCancel);
        Session session(u"1"_s, u"15"_s, u"1"_s);
        QVERIFY(session.started);
        FrmOpçoes& window = session.openOptions();
        window.option(u"Option2").click();
        window.checkBox(u"Check1").click();
        clickUp(window, 3);
        if (byCancel)
            window.button(u"cmdOpCancela").click();
        else
            window.close();

        QCOMPARE(session.options(), nullptr);
        QCOMPARE(session.storedRow(), u"1/15.0/1"_s);
        QCOMPARE(session.timer().Interval(), 15000);
        QVERIFY(session.timer().Enabled());
        FrmOpçoes& reopened = session.openOptions();
        QVERIFY(reopened.option(u"Option1").Value());
        QCOMPARE(reopened.checkBox(u"Check1").Value(), 1);
        QCOMPARE(secondsShown(reopened), u"15"_s);
    }

    void secondOpeningKeepsChoices() {
        Session session(u"1"_s, u"15"_s, u"1"_s);
        QVERIFY(session.started);
        FrmOpçoes& window = session.openOptions();
        window.option(u"Option2").click();
        clickUp(window);
        FrmOpçoes& again = session.openOptions();
        QCOMPARE(&again, &window);
        QVERIFY(again.option(u"Option2").Value());
        QCOMPARE(secondsShown(again), u"16"_s);
        QCOMPARE(session.storedRow(), u"1/15.0/1"_s);
    }

    void untouchedOkKeepsStoredPeriod_data() {
        QTest::addColumn<QString>("segTem");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("interval");
        QTest::newRow("0, below the spin") << u"0"_s << u"1/0.0/1"_s << 0;
        QTest::newRow("120, above the spin") << u"120"_s << u"1/120.0/1"_s << 120000;
        QTest::newRow("1.4, where the spin stands") << u"1.4"_s << u"1/1.4/1"_s << 1400;
    }

    // Opening and confirming never changes a setting the user did not touch.
    void untouchedOkKeepsStoredPeriod() {
        QFETCH(QString, segTem);
        QFETCH(QString, stored);
        QFETCH(int, interval);
        Session session(u"1"_s, segTem, u"1"_s);
        QVERIFY(session.started);
        session.openOptions().button(u"cmdOKop").click();
        QCOMPARE(session.options(), nullptr);
        QCOMPARE(session.storedRow(), stored);
        QCOMPARE(session.timer().Interval(), interval);
    }

    void failedWriteChangesNothing_data() {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("reason");
        QTest::newRow("locked by another program") << u"lock"_s << u"bloqueado"_s;
        const QString gone = u"o arquivo foi apagado, movido ou substituído por outro depois que o "
                             u"programa o abriu"_s;
        QTest::newRow("deleted while open") << u"delete"_s << gone;
        QTest::newRow("replaced while open") << u"replace"_s << gone;
    }

    // The write fails: the row stays as it was, the timer goes back, the window stays open with the
    // user's choices. "Ok" works once a lock is gone; a file deleted or replaced under the open
    // program keeps failing the same way, and the program goes on.
    void failedWriteChangesNothing() {
        QFETCH(QString, cause);
        QFETCH(QString, reason);
        Session session(u"1"_s, u"15"_s, u"1"_s);
        QVERIFY(session.started);
        const QString path = session.optionsPath();
        FrmOpçoes& window = session.openOptions();
        window.option(u"Option2").click();
        window.checkBox(u"Check1").click();
        clickUp(window);
        {
            std::optional<LockHolder> lock;
            if (cause == u"lock") {
                lock.emplace(path);
            } else {
                QVERIFY(QFile::remove(path));
                if (cause == u"replace")
                    makeOptions(path, u"1"_s, u"15"_s, u"1"_s);
            }
            window.button(u"cmdOKop").click();
        }

        QCOMPARE(session.run.services.boxes.size(), std::size_t{1});
        const RecordingServices::Box& box = session.run.services.boxes.front();
        QCOMPARE(box.style, toolkit::vbExclamation);
        QCOMPARE(box.title, u"Opções"_s);
        QVERIFY2(box.prompt.contains(path) && box.prompt.contains(reason), qPrintable(box.prompt));
        QVERIFY(!session.run.program.ended());
        QCOMPARE(QFileInfo::exists(path), cause != u"delete");
        if (cause != u"delete")
            QCOMPARE(session.storedRow(), u"1/15.0/1"_s);
        QCOMPARE(session.timer().Interval(), 15000);
        QVERIFY(session.timer().Enabled());
        QCOMPARE(session.options(), &window);
        QVERIFY(window.isVisible());
        QVERIFY(window.option(u"Option2").Value());
        QCOMPARE(window.checkBox(u"Check1").Value(), 0);
        QCOMPARE(secondsShown(window), u"16"_s);

        const QString firstPrompt = box.prompt;
        window.button(u"cmdOKop").click();
        if (cause != u"lock") {
            QCOMPARE(session.run.services.boxes.size(), std::size_t{2});
            QCOMPARE(session.run.services.boxes.back().prompt, firstPrompt);
            QCOMPARE(session.options(), &window);
            QCOMPARE(QFileInfo::exists(path), cause != u"delete");
            return;
        }
        QCOMPARE(session.options(), nullptr);
        QCOMPARE(session.storedRow(), u"2/16.0/0"_s);
        QCOMPARE(session.timer().Interval(), 16000);
        QVERIFY(!session.timer().Enabled());
        QCOMPARE(session.run.services.boxes.size(), std::size_t{1});
    }

    void okStoresWhereverTheProgramLives_data() {
        QTest::addColumn<QByteArrayList>("components");
        // SQLite alone takes no path longer than 512 bytes.
        const QByteArray longName(200, 'a');
        QTest::newRow("a path of 4000 bytes") << QByteArrayList(20, longName);
        QTest::newRow("a name that is not UTF-8") << QByteArrayList{"pasta-\xff\xfe-\xc3("};
    }

    // Start-up reads the three files from the directory, and "Ok" writes the options there,
    // journal and all.
    void okStoresWhereverTheProgramLives() {
        QFETCH(QByteArrayList, components);
        ScratchDirectory scratch;
        ProgramFiles().writeTo(scratch);
        const QByteArray delivered = QFile::encodeName(scratch.path());
        const ByteNamedDirectory directory(scratch.path(), components);
        moveFiles(delivered, directory.path());
        {
            ProgramRun run(core::fileNameFromBytes(directory.path()));
            QVERIFY2(run.start(), qPrintable(run.lastBox()));
            FrmOpçoes& window = run.open<FrmOpçoes>(u"cmdOpcoes");
            window.option(u"Option2").click();
            window.button(u"cmdOKop").click();
            QVERIFY2(run.services.boxes.empty(), qPrintable(run.lastBox()));
        }
        moveFiles(directory.path(), delivered);
        QCOMPARE(queryText(scratch.file(u"opcoes"_s), storedRowQuery), u"2/15.0/1"_s);
    }
};

QTEST_MAIN(TestOpcoes)
#include "test_opcoes.moc"
