// The program's command line: --help and --version answered without a display, anything that is
// neither ours nor one of Qt's own options refused in one line with status 2, and Qt's options
// (with their values) left for Qt.

#include "app/command_line.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using Request = app::CommandLine::Request;

Q_DECLARE_METATYPE(Request)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Request>("request");
        QTest::addColumn<QString>("unknown");
        QTest::newRow("none") << QStringList{} << Request::Run << QString();
        QTest::newRow("--help") << QStringList{u"--help"_s} << Request::Help << QString();
        QTest::newRow("-h") << QStringList{u"-h"_s} << Request::Help << QString();
        QTest::newRow("--version") << QStringList{u"--version"_s} << Request::Version << QString();
        QTest::newRow("-V") << QStringList{u"-V"_s} << Request::Version << QString();
        QTest::newRow("Qt's -style and -platform")
            << QStringList{u"-style"_s, u"Fusion"_s, u"--platform"_s, u"xcb"_s} << Request::Run
            << QString();
        QTest::newRow("-style=Fusion and -reverse")
            << QStringList{u"-style=Fusion"_s, u"-reverse"_s} << Request::Run << QString();
        QTest::newRow("a Qt option's value is not ours")
            << QStringList{u"-qwindowtitle"_s, u"--help"_s} << Request::Run << QString();
        QTest::newRow("help after a Qt option")
            << QStringList{u"-platform"_s, u"offscreen"_s, u"--help"_s} << Request::Help
            << QString();
        QTest::newRow("unknown option")
            << QStringList{u"--ajuda"_s, u"--help"_s} << Request::Unknown << u"--ajuda"_s;
        QTest::newRow("-platform=xcb is not Qt's")
            << QStringList{u"-platform=xcb"_s} << Request::Unknown << u"-platform=xcb"_s;
        QTest::newRow("a file name")
            << QStringList{u"mensagens.txt"_s} << Request::Unknown << u"mensagens.txt"_s;
        QTest::newRow("a lone dash") << QStringList{u"-"_s} << Request::Unknown << u"-"_s;
    }

    void read() {
        QFETCH(QStringList, arguments);
        QFETCH(Request, request);
        QFETCH(QString, unknown);
        const app::CommandLine line = app::readCommandLine(arguments);
        QCOMPARE(line.request, request);
        QCOMPARE(line.unknown, unknown);
    }

    void program_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<bool>("onStderr");
        QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << u"Uso: quelmar [OPÇÃO]..."_s
                                << false;
        QTest::newRow("--version") << QStringList{u"-platform"_s, u"xcb"_s, u"--version"_s} << 0
                                   << u"Quelmar de Orivela " QUELMAR_VERSION ""_s << false;
        QTest::newRow("unknown option")
            << QStringList{u"--nada"_s} << 2
            << u"quelmar: opção desconhecida: \"--nada\"; use \"quelmar --help\" para ver as opções."_s
            << true;
    }

    // With no display at all: a program that started Qt's windows here would abort instead.
    void program() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, firstLine);
        QFETCH(bool, onStderr);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            environment.remove(name);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUELMAR_PROGRAM), arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), status);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        const QString err = QString::fromUtf8(process.readAllStandardError());
        const QString& shown = onStderr ? err : out;
        QCOMPARE(shown.section(u'\n', 0, 0), firstLine);
        if (onStderr) {
            QCOMPARE(err.count(u'\n'), 1);
            QCOMPARE(out, QString());
        } else {
            QCOMPARE(err, QString());
        }
    }

    void answerThatCannotBeWrittenFails_data() {
        QTest::addColumn<QString>("option");
        QTest::newRow("--help") << u"--help"_s;
        QTest::newRow("--version") << u"--version"_s;
    }

    void answerThatCannotBeWrittenFails() {
        QFETCH(QString, option);
        QProcess process;
        process.setStandardOutputFile(u"/dev/full"_s);
        process.start(QStringLiteral(QUELMAR_PROGRAM), {option});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1);
        QVERIFY(process.readAllStandardError().startsWith("quelmar: a resposta não foi escrita"));
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
