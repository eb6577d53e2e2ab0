#include "support/command_run.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

CommandRun finished(QProcess& process) {
    const bool ended = process.waitForFinished(120'000);
    const bool normal = ended && process.exitStatus() == QProcess::NormalExit;
    return {normal ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

} // namespace

CommandRun runCommand(const QString& program, const QStringList& arguments,
                      const QString& workingDirectory) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    return finished(process);
}

CommandRun runCommandRedirected(const QString& program, const QStringList& arguments,
                                const QString& redirection) {
    QProcess process;
    process.start(u"bash"_s,
                  QStringList{u"-c"_s,
                              u"\"$0\" \"$@\" "_s + redirection + u"; exit ${PIPESTATUS[0]}"_s,
                              program} +
                      arguments);
    return finished(process);
}

void addWriteFailureRows() {
    QTest::addColumn<QString>("redirection");
    QTest::addColumn<QString>("reason"); // empty: nothing is said
    QTest::addColumn<int>("status");
    QTest::newRow("full disk") << u">/dev/full"_s << u"disco está cheio"_s << 1;
    QTest::newRow("closed stdout") << u">&-"_s << u"saída está fechada"_s << 1;
    QTest::newRow("reader gone") << u"| head -c 1 >/dev/null"_s << QString() << 141;
}
