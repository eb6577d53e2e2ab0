// The About window: its links hand exactly their command lines to the shell, everything else in
// it is still, and "Fechar" closes it alone.

#include "support/program_run.h"
#include "windows/sobre.h"

#include <QApplication>
#include <QTest>

using namespace Qt::StringLiterals;
using windows::frmPrincipal;
using windows::FrmSobre;

namespace {

struct Session {
    Session() : run(disk.run) {
        run.services.drawNext({0.0f});
        run.start();
    }

    frmPrincipal& main() { return run.main(); }
    FrmSobre* about() { return run.program.loadedForm<FrmSobre>(); }

    FrmSobre& openAbout() { return run.open<FrmSobre>(u"cmdSobre"); }

    ProgramOnDisk disk;
    ProgramRun& run;
};

std::u16string_view view(const QString& name) {
    return {reinterpret_cast<const char16_t*>(name.utf16()), std::size_t(name.size())};
}

} // namespace

class TestSobre : public QObject {
    Q_OBJECT

private slots:
    // A link hands exactly its command line to the shell; a plain label (no command line) does
    // nothing. How a link is pressed is the toolkit's test.
    void pressingALabel_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("address");

        QTest::newRow("Label1 web site")
            << u"Label1"_s << u"start https://dev.example.org"_s << u"https://dev.example.org"_s;
        QTest::newRow("Label2 program page")
            << u"Label2"_s << u"start https://www.example.org/quelmar"_s
            << u"https://www.example.org/quelmar"_s;
        QTest::newRow("Label6 left author")
            << u"Label6"_s << u"start mailto:arte@example.org"_s << u"arte@example.org"_s;
        QTest::newRow("Label9 right author")
            << u"Label9"_s << u"start mailto:dev@example.org"_s << u"dev@example.org"_s;
        for (const QString& name : {u"Label3"_s, u"Label4"_s, u"Label5(0)"_s, u"Label5(1)"_s,
                                    u"Label5(2)"_s, u"Label7"_s, u"Label8"_s})
            QTest::addRow("%s plain", qPrintable(name)) << name << QString() << QString();
    }

    void pressingALabel() {
        QFETCH(QString, link);
        QFETCH(QString, commandLine);
        QFETCH(QString, address);
        Session session;
        FrmSobre& window = session.openAbout();
        toolkit::Label& label = window.label(view(link));
        QVERIFY2(label.text().endsWith(address), "the link opens what it does not show");

        QTest::mouseClick(&label, Qt::LeftButton);
        const auto& commands = session.run.services.commands;
        QCOMPARE(commands.size(), std::size_t(commandLine.isNull() ? 0 : 1));
        if (!commands.empty()) {
            QCOMPARE(commands.front().line, commandLine);
            QCOMPARE(commands.front().windowStyle, toolkit::vbMinimizedFocus);
        }
        QVERIFY(session.run.services.boxes.empty());
        QCOMPARE(session.about(), &window);
        QVERIFY(window.isVisible());
    }

    void launcherThatCannotStartIsReported() {
        Session session;
        const QString reason = u"o sistema não tem um programa que abra isso."_s;
        session.run.services.shellFailure = reason;
        FrmSobre& window = session.openAbout();
        QTest::mouseClick(&window.label(u"Label6"), Qt::LeftButton);

        QCOMPARE(session.run.services.boxes.size(), std::size_t(1));
        const RecordingServices::Box& box = session.run.services.boxes.back();
        QVERIFY(box.prompt.contains(u"arte@example.org"_s));
        QVERIFY(box.prompt.contains(reason));
        QCOMPARE(box.style, toolkit::vbExclamation);
        QVERIFY(!session.run.program.ended());
        QCOMPARE(session.about(), &window);
    }

    // The launcher ends with an error after the click: the box comes then, whatever became of the
    // About window meanwhile, and never once the program has ended or is gone.
    void launcherThatFailsLaterIsReported_data() {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("reported");
        QTest::newRow("window still open") << u"nothing"_s << true;
        QTest::newRow("window closed") << u"close"_s << true;
        QTest::newRow("program ended") << u"end"_s << false;
        QTest::newRow("program gone") << u"destroy"_s << false;
    }

    void launcherThatFailsLaterIsReported() {
        QFETCH(QString, meanwhile);
        QFETCH(bool, reported);
        auto session = std::make_unique<Session>();
        QTest::mouseClick(&session->openAbout().label(u"Label9"), Qt::LeftButton);
        QCOMPARE(session->run.services.commands.size(), std::size_t(1));
        const toolkit::LaunchFailed failedLater =
            session->run.services.commands.front().failedLater;
        QVERIFY(session->run.services.boxes.empty());

        if (meanwhile == u"close"_s)
            session->about()->button(u"Command1").click();
        else if (meanwhile == u"end"_s)
            session->main().button(u"cmdFechar").click();
        else if (meanwhile == u"destroy"_s)
            session.reset();
        const QString reason = u"o programa que abre esse tipo de endereço falhou."_s;
        failedLater(reason);
        if (!session)
            return; // nothing to tell it to, and nothing broke
        const auto& boxes = session->run.services.boxes;
        QCOMPARE(boxes.size(), std::size_t(reported ? 1 : 0));
        if (!reported)
            return;
        QVERIFY(boxes.back().prompt.contains(u"dev@example.org"_s));
        QVERIFY(boxes.back().prompt.contains(reason));
        QCOMPARE(boxes.back().title, u"Quelmar de Orivela"_s);
        QCOMPARE(boxes.back().style, toolkit::vbExclamation);
        QVERIFY(!session->run.program.ended());
        QVERIFY(session->main().isVisible());
    }

    // The window opens with the focus on "Fechar", its lowest tab index: Space closes it, Return
    // does nothing, and neither opens a link.
    void keyRightAfterOpeningOpensNoLink_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Return") << int(Qt::Key_Return) << false;
        QTest::newRow("Space") << int(Qt::Key_Space) << true;
    }

    void keyRightAfterOpeningOpensNoLink() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        Session session;
        FrmSobre& window = session.openAbout();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), &window.button(u"Command1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(session.run.services.commands.empty());
        QCOMPARE(session.about() == nullptr, closes);
    }

    // A second "Sobre" brings the open window forward; "Fechar" unloads it, and the next opening
    // builds it afresh, while the main window keeps its message and its timer.
    void fecharClosesOnlyTheAboutWindow() {
        Session session;
        const QString message = session.main().textBox(u"TxtTexto").Text();
        FrmSobre& window = session.openAbout();
        QCOMPARE(&session.openAbout(), &window);

        window.button(u"Command1").click();
        QVERIFY(session.about() == nullptr);
        QVERIFY(!session.run.program.ended());
        QVERIFY(session.main().isVisible());
        QCOMPARE(session.main().textBox(u"TxtTexto").Text(), message);
        QVERIFY(session.main().timer(u"tmpTimer").isRunning());
        QVERIFY(session.openAbout().isVisible());
    }
};

QTEST_MAIN(TestSobre)
#include "test_sobre.moc"
