// The command-line conventions the three commands share: options read the GNU way by one layer,
// --help and --version without a display, answers written through one checked path; and
// quelmar's own rule that Qt's options (with their values) are left for Qt.

#include "app/command_line.h"
#include "platform/core/command_line.h"
#include "support/command_run.h"

#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Request = app::CommandLine::Request;

Q_DECLARE_METATYPE(Request)

namespace {

const QString program = QStringLiteral(QUELMAR_PROGRAM);
const QString frase = QStringLiteral(QUELMAR_FRASE);
const QString tool = QStringLiteral(QUELMAR_TOOL);

// The exit status of `command` run with its stdout on a pipe whose reader is already gone.
int statusIntoClosedPipe(const QString& command, const QStringList& arguments) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    ::close(ends[0]);
    QList<QByteArray> bytes{command.toLocal8Bit()};
    for (const QString& argument : arguments)
        bytes << argument.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(ends[1], STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(ends[1]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void read_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Request>("request");
        QTest::addColumn<QString>("named"); // what the refusal names
        QTest::newRow("none") << QStringList{} << Request::Run << QString();
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
            << QStringList{u"-platform=xcb"_s} << Request::Unknown << u"\"-p\""_s;
        QTest::newRow("a file name")
            << QStringList{u"mensagens.txt"_s} << Request::Unknown << u"mensagens.txt"_s;
        QTest::newRow("a lone dash") << QStringList{u"-"_s} << Request::Unknown << u"-"_s;
    }

    void read() {
        QFETCH(QStringList, arguments);
        QFETCH(Request, request);
        QFETCH(QString, named);
        const app::CommandLine line = app::readCommandLine(arguments);
        QCOMPARE(line.request, request);
        QCOMPARE(line.problem.isEmpty(), named.isEmpty());
        QVERIFY2(line.problem.contains(named), qPrintable(line.problem));
    }

    // The layer itself: how an argument list becomes options and operands.
    void layer_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("read"); // name=value of each option, then |operands
        const auto row = [](const char* name, const QStringList& arguments, const QString& read) {
            QTest::newRow(name) << arguments << read;
        };
        row("flags together, value attached", {u"-qn12"_s}, u"quieto= numero=12 |"_s);
        row("value after, value after =", {u"-n"_s, u"-1"_s, u"--numero=2"_s},
            u"numero=-1 numero=2 |"_s);
        row("a unique prefix", {u"--num"_s, u"3"_s, u"--q"_s}, u"numero=3 quieto= |"_s);
        row("an exact name before a prefix", {u"--nu=4"_s}, u"nu=4 |"_s);
        row("-- ends the options", {u"x"_s, u"--"_s, u"-n"_s, u"--"_s}, u"|x -n --"_s);
        row("a lone dash is an operand", {u"-"_s}, u"|-"_s);
        row("ambiguous prefix", {u"--n"_s, u"1"_s}, u"ambígua"_s);
        row("unknown long option", {u"--nada"_s}, u"desconhecida"_s);
        row("unknown letter", {u"-qx"_s}, u"desconhecida"_s);
        row("missing value", {u"--numero"_s}, u"falta o valor"_s);
        row("a flag given a value", {u"--quieto=1"_s}, u"não leva valor"_s);
    }

    void layer() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, read);
        const core::CommandLine line(
            u"teste"_s, {{u'q', u"quieto"_s}, {u'n', u"numero"_s, true}, {{}, u"nu"_s, true}});
        try {
            const core::CommandArguments given = line.read(arguments);
            QString shown;
            for (const core::GivenOption& option : given.options)
                shown += option.name + u'=' + option.value + u' ';
            QCOMPARE(shown + u'|' + given.operands.join(u' '), read);
        } catch (const core::CommandFailure& failure) {
            QCOMPARE(failure.status(), core::Usage);
            QVERIFY2(failure.reason().contains(read), qPrintable(failure.reason()));
        }
    }

    void wholeNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("number"); // -999 for none
        QTest::newRow("plain") << u"12"_s << qint64(12);
        QTest::newRow("blanks and zeros around") << u" 007 "_s << qint64(7);
        QTest::newRow("signs") << u"-3"_s << qint64(-3);
        QTest::newRow("exponent") << u"1e1"_s << qint64(-999);
        QTest::newRow("hexadecimal") << u"0x10"_s << qint64(-999);
        QTest::newRow("fraction") << u"1.0"_s << qint64(-999);
        QTest::newRow("other digits") << u"\u0661\u0662"_s << qint64(-999);
        QTest::newRow("empty") << u"-"_s << qint64(-999);
        QTest::newRow("beyond 64 bits") << u"9223372036854775808"_s << qint64(-999);
    }

    void wholeNumber() {
        QFETCH(QString, text);
        QFETCH(qint64, number);
        QCOMPARE(core::wholeNumber(text).value_or(-999), number);
    }

    // With no display at all: a program that started Qt's windows here would abort instead.
    void helpAndVersion_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("firstLine");
        const QString version = u" " QUELMAR_VERSION ""_s;
        QTest::newRow("quelmar -h") << program << QStringList{u"-h"_s} << u"Uso: quelmar "_s;
        QTest::newRow("quelmar --vers after a Qt option")
            << program << QStringList{u"-platform"_s, u"xcb"_s, u"--vers"_s} << version;
        QTest::newRow("frase -V") << frase << QStringList{u"-V"_s} << version;
        QTest::newRow("frase --he") << frase << QStringList{u"--he"_s} << u"Uso: quelmar-frase "_s;
        QTest::newRow("colecoes -V") << tool << QStringList{u"-V"_s} << version;
        QTest::newRow("colecoes -h") << tool << QStringList{u"-h"_s} << u"Uso: quelmar-colecoes "_s;
    }

    void helpAndVersion() {
        QFETCH(QString, command);
        QFETCH(QStringList, arguments);
        QFETCH(QString, firstLine);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            environment.remove(name);
        process.setProcessEnvironment(environment);
        process.start(command, arguments);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(QString::fromUtf8(process.readAllStandardOutput())
                    .section(u'\n', 0, 0)
                    .contains(firstLine));
        QCOMPARE(process.readAllStandardError(), QByteArray());
    }

    void usage_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("quelmar, after --") << program << QStringList{u"--"_s, u"-h"_s};
        QTest::newRow("quelmar, unknown option") << program << QStringList{u"--nada"_s};
        QTest::newRow("frase, ambiguous") << frase << QStringList{u"--c"_s};
        QTest::newRow("frase, not decimal") << frase << QStringList{u"-n"_s, u"1e1"_s};
        QTest::newRow("colecoes, after --") << tool << QStringList{u"--"_s, u"--help"_s};
    }

    // Refused in a line naming the fault and a line pointing to --help, status 2.
    void usage() {
        QFETCH(QString, command);
        QFETCH(QStringList, arguments);
        const CommandRun run = runCommand(command, arguments);
        QVERIFY2(run.exitCode == 2, run.transcript());
        QVERIFY2(run.out.isEmpty() && run.err.count('\n') == 2 && run.err.contains("--help"),
                 run.transcript());
    }

    void answerThatCannotBeWritten_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("quelmar --help") << program << QStringList{u"--help"_s};
        QTest::newRow("frase --version") << frase << QStringList{u"--version"_s};
        QTest::newRow("colecoes --help") << tool << QStringList{u"--help"_s};
        QTest::newRow("colecoes verificar") << tool << QStringList{u"verificar"_s, u"x"_s, u"T"_s};
    }

    // A full disk is said in one line with status 1; a reader that went away ends the command
    // silently with the status a closed pipe gives.
    void answerThatCannotBeWritten() {
        QFETCH(QString, command);
        QFETCH(QStringList, arguments);
        const CommandRun full = runCommandRedirected(command, arguments, u">/dev/full"_s);
        QVERIFY2(full.exitCode == 1 && full.err.count('\n') == 1 &&
                     full.err.contains("não foi escrita por inteiro"),
                 full.transcript());
        QCOMPARE(statusIntoClosedPipe(command, arguments), 141);
    }
};

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
