#include "colecoes/collection_file.h"
#include "support/command_run.h"
#include "support/scratch_database.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Leftover)

namespace {

const QString table = u"Mensagens"_s;

CommandRun runTool(const QStringList& arguments, const QString& workingDirectory = {}) {
    return runCommand(QStringLiteral(QUELMAR_TOOL), arguments, workingDirectory);
}

// Makes the collection `output` from a source file in `scratch` that holds `text`.
CommandRun createFrom(const ScratchDirectory& scratch, const QByteArray& text,
                      const QString& output, const QStringList& options = {}) {
    const QString source = scratch.file(u"fonte.txt"_s);
    replaceContent(source, text);
    return runTool(QStringList{u"criar"_s, output, table, source} + options);
}

QByteArray crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

const QByteArray byteOrderMark = "\xEF\xBB\xBF";

QByteArray numberedMessages(int count) {
    QByteArray source;
    for (int i = 1; i <= count; ++i)
        source += "mensagem " + QByteArray::number(i) + "\n%\n";
    return source;
}

// Every message's bytes in number order, so that any change to any byte shows.
QString storedBytes(const QString& database) {
    return queryText(database, u"SELECT count(*) || ':' || group_concat(typeof(mensagem) || "
                               u"hex(mensagem), ',') FROM (SELECT mensagem FROM Mensagens ORDER "
                               u"BY Numero)"_s);
}

QString messageNumbered(const QString& database, int number) {
    return queryText(database, u"SELECT mensagem FROM Mensagens WHERE Numero = %1"_s.arg(number));
}

// The messages in number order, joined by `separator`.
QString messagesOf(const QString& database, const QString& from = table, char separator = '|') {
    return queryText(database,
                     u"SELECT group_concat(mensagem, char(%1)) FROM (SELECT mensagem FROM "
                     u"%2 ORDER BY Numero)"_s.arg(int(separator))
                         .arg(from));
}

// A collection with the given rows, as SQL values; the column types are the ones a hand-made
// collection would most likely have.
QString collectionWithRows(const QString& values) {
    return u"CREATE TABLE Mensagens (Numero SMALLINT, mensagem TEXT);"
           u"INSERT INTO Mensagens VALUES %1;"_s.arg(values);
}

} // namespace

class TestTool : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("BOM, CRLF, accents, final separator")
            << byteOrderMark + crlf(u"Olá, coração!\n%\nLinha um\n   recuada\nLinha três\n%\n"
                                    u"É o pôr-do-sol, avô.\n%\n"_s.toUtf8())
            << QStringList{u"Olá, coração!"_s, u"Linha um\n   recuada\nLinha três"_s,
                           u"É o pôr-do-sol, avô."_s};
        QTest::newRow("blank lines around separators, no final separator")
            << u"\n\nação\n\n%\n\n \nsegunda\n\nlinha\n\t\n%\núltima sem separador"_s.toUtf8()
            << QStringList{u"ação"_s, u"segunda\n\nlinha"_s, u"última sem separador"_s};
        QTest::newRow("blank lines after the final separator")
            << crlf("primeira\n%\nsegunda\n%\n\n\n") << QStringList{u"primeira"_s, u"segunda"_s};
        QTest::newRow("one message without separator")
            << u"só uma"_s.toUtf8() << QStringList{u"só uma"_s};
        QTest::newRow("empty entries: separator first, two in a row, blank lines between")
            << QByteArray("%\num\n%\n%\ndois\n%\n  \r\n\n%\ntrês\n")
            << QStringList{u"um"_s, u"dois"_s, u"três"_s};
    }

    void roundTrip() {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, messages);
        ScratchDirectory scratch;
        // A "%3" in a file name is a name, not a place in the tool's messages.
        const QString database = scratch.file(u"colecao %3.db"_s);
        const CommandRun created = createFrom(scratch, source, database);
        QVERIFY2(created.exitCode == 0, created.transcript());
        QVERIFY2(created.out.contains(u"Coleção criada: %1 (tabela Mensagens, %2 mensagens)."_s
                                          .arg(database, QString::number(messages.size()))
                                          .toUtf8()),
                 created.transcript());
        QCOMPARE(queryText(database, u"SELECT count(*) FROM Mensagens"_s),
                 QString::number(messages.size()));
        for (int number = 1; number <= messages.size(); ++number)
            QCOMPARE(messageNumbered(database, number), messages[number - 1]);
        QCOMPARE(queryText(database, u"SELECT count(*) FROM Mensagens WHERE typeof(Numero) <> "
                                     u"'integer' OR typeof(mensagem) <> 'text'"_s),
                 u"0"_s);

        QByteArray expectedExport;
        for (const QString& message : messages)
            expectedExport += message.toUtf8() + "\n%\n";
        const CommandRun exported = runTool({u"exportar"_s, database, table});
        QVERIFY2(exported.exitCode == 0, exported.transcript());
        QCOMPARE(exported.out, expectedExport);

        const CommandRun verified = runTool({u"verificar"_s, database, table});
        QVERIFY2(verified.exitCode == 0, verified.transcript());
    }

    void createReadsFortuneFiles_data() {
        QTest::addColumn<QStringList>("files"); // "name=content", a name with "/" in a folder
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("warning"); // part of the error output
        QTest::newRow("separator first, two in a row, only blank lines between two")
            << QStringList{u"a=%\num\n%\n%\ndois\n%\n  \r\n\n%\n"_s} << QStringList{u"a"_s}
            << QStringList{u"um"_s, u"dois"_s} << u"/a:1: aviso: 3 mensagem"_s;
        QTest::newRow("a folder: text files in name order")
            << QStringList{u"d/b=B\n%\n"_s, u"d/a=A\n"_s, u"d/.oculto=X"_s, u"d/a.dat=Y"_s,
                           u"d/b.u8=Z"_s}
            << QStringList{u"d"_s} << QStringList{u"A"_s, u"B"_s} << u"/d: aviso: 2 arquivo"_s;
        QTest::newRow("an index a glob gave")
            << QStringList{u"a=A\n"_s, u"a.dat=Y"_s} << QStringList{u"a"_s, u"a.dat"_s}
            << QStringList{u"A"_s} << u"/a.dat: aviso: índice"_s;
    }

    void createReadsFortuneFiles() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, sources);
        QFETCH(QStringList, messages);
        QFETCH(QString, warning);
        ScratchDirectory scratch;
        QVERIFY(QDir(scratch.path()).mkdir(u"d"_s));
        for (const QString& file : files)
            replaceContent(scratch.file(file.section(u'=', 0, 0)), file.section(u'=', 1).toUtf8());
        QStringList arguments{u"criar"_s, scratch.file(u"c.db"_s), table};
        for (const QString& source : sources)
            arguments << scratch.file(source);
        const CommandRun run = runTool(arguments);
        QVERIFY2(run.exitCode == 0 && QString::fromUtf8(run.err).contains(warning),
                 run.transcript());
        QCOMPARE(messagesOf(scratch.file(u"c.db"_s)), messages.join(u'|'));
    }

    // Debian's Portuguese fortunes: every entry with text, byte for byte, in order.
    void createReadsDebiansBrasil() {
        const QString brasil = u"/usr/share/games/fortunes/brasil"_s;
        if (!QFileInfo::exists(brasil))
            QSKIP("fortunes-br is not installed (scripts/install-deps.sh test)");
        // Blank lines around a message are not part of it, and an entry of none has no text.
        QStringList entries = QString::fromUtf8(contentOf(brasil)).split(u"\n%\n"_s);
        for (QString& entry : entries)
            entry.remove(QRegularExpression(u"^([ \t]*\n)+|(\n[ \t]*)+$"_s));
        entries.removeIf([](const QString& entry) { return entry.trimmed().isEmpty(); });
        ScratchDirectory scratch;
        const CommandRun run = runTool({u"criar"_s, scratch.file(u"x.mdb"_s), table, brasil});
        QVERIFY2(run.exitCode == 0, run.transcript());
        QCOMPARE(messagesOf(scratch.file(u"x.mdb"_s), table, '\x1f'), entries.join(u'\x1f'));
    }

    void ownCollections_data() {
        QTest::addColumn<QStringList>("arguments");
        // An own Quelmar collection of one message, "antiga", or a document in its place.
        QTest::addColumn<QString>("ownBefore");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("ownAfter"); // its messages after; none: no own file
        QTest::addColumn<QString>("out");
        const QStringList quelmar{u"instalar"_s, u"quelmar"_s};
        QTest::newRow("instalar, folder made")
            << quelmar + QStringList{u"fonte.txt"_s, u"--codificacao=auto"_s} << QString() << 0
            << u"nova|ção"_s << u"(2 mensagens)"_s;
        QTest::newRow("instalar over an earlier one")
            << quelmar + QStringList{u"fonte.txt"_s} << u"antiga"_s << 0 << u"nova|ção"_s
            << u"(2"_s;
        QTest::newRow("instalar over a document points to restaurar")
            << quelmar + QStringList{u"fonte.txt"_s} << u"documento"_s << 1 << u"documento"_s
            << QString();
        QTest::newRow("instalar that fails keeps the earlier one")
            << quelmar + QStringList{u"ruim.txt"_s} << u"antiga"_s << 1 << u"antiga"_s << QString();
        QTest::newRow("restaurar") << QStringList{u"restaurar"_s, u"quelmar"_s} << u"antiga"_s << 0
                                   << QString() << u"Removida"_s;
        QTest::newRow("restaurar, nothing to remove")
            << QStringList{u"restaurar"_s, u"quelmar"_s} << QString() << 0 << QString()
            << u"Nada a remover"_s;
        QTest::newRow("mostrar") << QStringList{u"mostrar"_s} << u"antiga"_s << 0 << u"antiga"_s
                                 << u"quelmar (Quelmar de Orivela): %1 (a sua própria"_s;
    }

    // Only the user's own file is ever written or removed, and the tool beside the installed
    // collections then tells which file each one reads.
    void ownCollections() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, ownBefore);
        QFETCH(int, exitCode);
        QFETCH(QString, ownAfter);
        QFETCH(QString, out);
        ScratchDirectory program;
        const QString tool = program.file(u"quelmar-colecoes"_s);
        QVERIFY(QFile::copy(QStringLiteral(QUELMAR_TOOL), tool));
        makeCollection(program.file(u"quelmar.mdb"_s), u"QuelmarOrivela"_s, {u"instalada"_s});
        makeCollection(program.file(u"tarvenas.mdb"_s), u"Tarvenas_tab"_s, {u"T"_s});
        replaceContent(program.file(u"fonte.txt"_s), u"nova\n%\nção\n"_s.toUtf8());
        replaceContent(program.file(u"ruim.txt"_s), "nova\n%\n\xFF\n");
        const QStringList installed = directoryState(program.path());
        const OwnDataHome home;
        const QString own = home.own(u"/quelmar.mdb"_s);
        if (!ownBefore.isEmpty())
            makeOwnFile(QFileInfo(own).path() + u"/notas"_s, "do usuário");
        if (ownBefore == u"antiga")
            makeCollection(own, u"QuelmarOrivela"_s, {u"antiga"_s});
        else if (!ownBefore.isEmpty())
            replaceContent(own, ownBefore.toUtf8());
        const CommandRun run = runCommand(tool, arguments, program.path());
        QVERIFY2(run.exitCode == exitCode &&
                     QString::fromUtf8(run.out).contains(QString(out).replace(u"%1"_s, own)),
                 run.transcript());
        QCOMPARE(directoryState(program.path()), installed);
        QCOMPARE(!QFileInfo::exists(own)    ? QString()
                 : ownAfter == u"documento" ? QString::fromUtf8(contentOf(own))
                                            : messagesOf(own, u"QuelmarOrivela"_s),
                 ownAfter);
        QVERIFY(run.err.contains("restaurar quelmar") == (ownBefore == u"documento"));
        QCOMPARE(entryNames(QFileInfo(own).path()).contains(u"notas"_s), !ownBefore.isEmpty());
        if (ownBefore.isEmpty() && !ownAfter.isEmpty())
            QCOMPARE(QFileInfo(QFileInfo(own).path()).permissions() & 0x0077, 0);
    }

    void createAcceptsTheLargestCollection() {
        ScratchDirectory scratch;
        const QString database = scratch.file(u"colecao.db"_s);
        const CommandRun created = createFrom(scratch, numberedMessages(32767), database);
        QVERIFY2(created.exitCode == 0, created.transcript());
        QCOMPARE(queryText(database, u"SELECT max(Numero) FROM Mensagens"_s), u"32767"_s);
        QCOMPARE(messageNumbered(database, 32767), u"mensagem 32767"_s);
        const CommandRun verified = runTool({u"verificar"_s, database, table});
        QVERIFY2(verified.exitCode == 0, verified.transcript());
    }

    void createRefuses_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("outputExists");
        const QString notUtf8 = u"UTF-8"_s;
        const QString nothing = u"nenhuma mensagem"_s;
        QTest::newRow("byte FF on line 3")
            << QByteArray("um\n%\nd\xFFois\n") << 3 << notUtf8 << false;
        QTest::newRow("sequence cut by CRLF on line 2, existing output")
            << QByteArray("um\r\nbo\xC3\r\n%\r\n") << 2 << notUtf8 << true;
        QTest::newRow("overlong slash on line 5")
            << QByteArray("a\n%\nb\n%\n\xC0\xAF\n") << 5 << notUtf8 << false;
        QTest::newRow("encoded surrogate after BOM") << byteOrderMark + "\xED\xA0\x80\n"
                                                     << 1 << notUtf8 << false;
        QTest::newRow("empty source") << QByteArray() << 1 << nothing << false;
        QTest::newRow("only blank lines") << QByteArray("\n \r\n\t\n") << 1 << nothing << false;
        QTest::newRow("only a BOM") << byteOrderMark << 1 << nothing << false;
        QTest::newRow("32768 messages")
            << numberedMessages(32768) << 65535 << u"limite de 32767"_s << false;
    }

    void createRefuses() {
        QFETCH(QByteArray, source);
        QFETCH(int, line);
        QFETCH(QString, reason);
        QFETCH(bool, outputExists);
        ScratchDirectory scratch;
        const QString sourcePath = scratch.file(u"fonte %2.txt"_s);
        const QString output = scratch.file(u"saida.db"_s);
        replaceContent(sourcePath, source);
        if (outputExists)
            makeCollection(output, table, {u"anterior"_s});
        const QByteArray before = contentOf(output);
        const QStringList filesBefore = entryNames(scratch.path());

        const CommandRun run = runTool({u"criar"_s, output, table, sourcePath});
        QVERIFY2(run.exitCode == 1, run.transcript());
        const QByteArray where = (sourcePath + u':' + QString::number(line) + u": "_s).toUtf8();
        QVERIFY2(run.err.contains(where) && run.err.contains(reason.toUtf8()), run.transcript());
        QCOMPARE(entryNames(scratch.path()), filesBefore);
        QCOMPARE(contentOf(output), before);
    }

    void createRefusesOutput_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("reason");
        const QString notCollection = u"não é uma coleção"_s;
        QTest::newRow("the source itself") << u"fonte.txt"_s << u"próprio arquivo de texto"_s;
        QTest::newRow("the source through a link") << u"link-da-fonte"_s << u"link simbólico"_s;
        QTest::newRow("the options file") << u"opcoes"_s << notCollection;
        QTest::newRow("a document") << u"carta.odt"_s << notCollection;
        QTest::newRow("an empty file") << u"vazio"_s << notCollection;
        QTest::newRow("a link to a collection") << u"link-da-colecao"_s << u"link simbólico"_s;
        QTest::newRow("a pipe") << u"fifo"_s << u"pipe"_s;
        QTest::newRow("a journal beside no collection") << u"novo.db"_s << u"novo.db-wal"_s;
        QTest::newRow("a journal that is the source") << u"colecao.db"_s << u"colecao.db-journal"_s;
    }

    void createRefusesOutput() {
        QFETCH(QString, output);
        QFETCH(QString, reason);
        ScratchDirectory scratch;
        const QString source = scratch.file(u"fonte.txt"_s);
        replaceContent(source, "nova\n%\n");
        makeOptions(scratch.file(u"opcoes"_s), u"2"_s, u"30"_s, u"0"_s);
        replaceContent(scratch.file(u"carta.odt"_s), randomBytes(2048));
        replaceContent(scratch.file(u"vazio"_s), {});
        makeCollection(scratch.file(u"colecao.db"_s), table, {u"velha"_s});
        QFile::link(source, scratch.file(u"link-da-fonte"_s));
        QFile::link(scratch.file(u"colecao.db"_s), scratch.file(u"link-da-colecao"_s));
        QCOMPARE(mkfifo(QFile::encodeName(scratch.file(u"fifo"_s)).constData(), 0600), 0);
        replaceContent(scratch.file(u"novo.db-wal"_s), "de outro programa");
        QCOMPARE(link(QFile::encodeName(source),
                      QFile::encodeName(scratch.file(u"colecao.db-journal"_s))),
                 0);
        const QStringList before = directoryState(scratch.path());

        const CommandRun run = runTool({u"criar"_s, scratch.file(output), table, source});
        QVERIFY2(run.exitCode == 1, run.transcript());
        QVERIFY2(run.err.contains(reason.toUtf8()), run.transcript());
        QCOMPARE(directoryState(scratch.path()), before);
        QVERIFY(QFileInfo(scratch.file(u"link-da-colecao"_s)).isSymLink());
    }

    // A journal left by the collection that was there before must not be played back into the
    // new one by whoever opens it next.
    void createReplacesLeftovers_data() {
        QTest::addColumn<Leftover>("leftover");
        QTest::newRow("rollback journal") << Leftover::Journal;
        QTest::newRow("write-ahead log") << Leftover::WriteAheadLog;
    }

    void createReplacesLeftovers() {
        QFETCH(Leftover, leftover);
        ScratchDirectory scratch;
        const QString old = scratch.file(u"antiga.db"_s);
        // Characters a file name keeps but an SQLite address would take for its own.
        const QString output = scratch.file(u"colecao %3 #1?.db"_s);
        makeCollection(old, table, {u"velha 1"_s, u"velha 2"_s, u"velha 3"_s});
        copyMidWrite(old, output, leftover);

        const CommandRun run = createFrom(scratch, "nova 1\n%\nnova 2\n%\n", output);
        QVERIFY2(run.exitCode == 0, run.transcript());
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            QVERIFY2(!QFileInfo::exists(output + QLatin1StringView(suffix)), suffix);
        QCOMPARE(queryText(output, u"PRAGMA integrity_check"_s), u"ok"_s);
        QCOMPARE(queryText(output, u"SELECT group_concat(mensagem, '|') FROM Mensagens"_s),
                 u"nova 1|nova 2"_s);
    }

    void createSetsPermissions_data() {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("replacedMode"); // 0 for a new collection
        QTest::addColumn<int>("mode");
        QTest::newRow("new, private umask") << 077 << 0 << 0600;
        QTest::newRow("new, shared with the group") << 002 << 0 << 0664;
        QTest::newRow("replaced private collection") << 022 << 0600 << 0600;
    }

    void createSetsPermissions() {
        QFETCH(int, mask);
        QFETCH(int, replacedMode);
        QFETCH(int, mode);
        ScratchDirectory scratch;
        const QString output = scratch.file(u"colecao.db"_s);
        if (replacedMode != 0) {
            makeCollection(output, table, {u"velha"_s});
            QCOMPARE(chmod(QFile::encodeName(output).constData(), mode_t(replacedMode)), 0);
        }
        const mode_t before = umask(mode_t(mask));
        const CommandRun run = createFrom(scratch, "nova\n", output);
        umask(before);
        QVERIFY2(run.exitCode == 0, run.transcript());
        struct stat info {};
        QCOMPARE(stat(QFile::encodeName(output).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), mode);
    }

    // A run stopped by a signal removes its temporary file; one killed leaves it for the next
    // build of the same collection to remove once it is over a minute old.
    void createLeavesNoTemporaries_data() {
        QTest::addColumn<int>("signal"); // 0: runs to its end
        QTest::newRow("stopped by SIGTERM") << SIGTERM;
        QTest::newRow("stopped by SIGHUP") << SIGHUP;
        QTest::newRow("after a killed run") << 0;
    }

    void createLeavesNoTemporaries() {
        QFETCH(int, signal);
        ScratchDirectory scratch;
        const QString output = scratch.file(u"colecao.db"_s);
        const QStringList kept{u".colecao.db.backup"_s, u".colecao.db.temporario-Nov0Ze"_s};
        for (const QString& name :
             {u".colecao.db.temporario-AbC123"_s, u".colecao.db.temporario-AbC123-journal"_s,
              u".colecao.db.backup"_s, u".colecao.db.temporario-Nov0Ze"_s}) {
            QFile file(scratch.file(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (name != kept[1])
                file.setFileTime(QDateTime::currentDateTime().addSecs(-120),
                                 QFileDevice::FileModificationTime);
        }
        if (signal == 0) {
            QCOMPARE(createFrom(scratch, "nova\n", output).exitCode, 0);
        } else {
            const QString fifo = scratch.file(u"fifo"_s);
            QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
            const QStringList setUp = entryNames(scratch.path());
            QProcess tool;
            tool.start(QStringLiteral(QUELMAR_TOOL), {u"criar"_s, output, table, fifo});
            QVERIFY(QTest::qWaitFor([&] {
                return std::ranges::any_of(entryNames(scratch.path()), [&](const QString& name) {
                    return !setUp.contains(name);
                });
            }));
            kill(pid_t(tool.processId()), signal);
            QVERIFY(tool.waitForFinished());
            QCOMPARE(tool.exitStatus(), QProcess::CrashExit);
        }
        QStringList left = entryNames(scratch.path());
        left.removeAll(u"colecao.db"_s);
        left.removeAll(u"fonte.txt"_s);
        QCOMPARE(left, kept);
    }

    void createRefusesTableNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("plain") << u"Mensagens_2"_s << false;
        QTest::newRow("a digit first") << u"2x"_s << true;
        QTest::newRow("reserved by the database") << u"sqlite_x"_s << true;
        QTest::newRow("reserved, in capitals") << u"SQLite_Master"_s << true;
    }

    void createRefusesTableNames() {
        QFETCH(QString, name);
        QFETCH(bool, refused);
        ScratchDirectory scratch;
        const QString failure = colecoes::CollectionBuilder(scratch.file(u"c.db"_s), name).start();
        QCOMPARE(!failure.isEmpty(), refused);
        if (refused)
            QVERIFY2(failure.contains(u'"' + name + u'"'), qPrintable(failure));
    }

    void verifyLeavesAnInterruptedWriteAlone() {
        ScratchDirectory scratch;
        const QString original = scratch.file(u"original.db"_s);
        const QString database = scratch.file(u"colecao.db"_s);
        makeCollection(original, table, {u"a"_s, u"b"_s});
        copyMidWrite(original, database, Leftover::Journal);
        QFile::remove(original);
        const QByteArray before = contentOf(database);
        const QByteArray journalBefore = contentOf(database + u"-journal"_s);

        const CommandRun run = runTool({u"verificar"_s, database, table});
        QVERIFY2(run.exitCode == 1, run.transcript());
        QVERIFY2(run.out.contains("-journal"), run.transcript());
        QCOMPARE(contentOf(database), before);
        QCOMPARE(contentOf(database + u"-journal"_s), journalBefore);
    }

    void exportReportsWriteFailures_data() { addWriteFailureRows(); }

    void exportReportsWriteFailures() {
        QFETCH(QString, redirection);
        QFETCH(QString, reason);
        QFETCH(int, status);
        ScratchDirectory scratch;
        const QString database = scratch.file(u"colecao.db"_s);
        QCOMPARE(createFrom(scratch, numberedMessages(20000), database).exitCode, 0);
        const QByteArray before = contentOf(database);

        const CommandRun run = runCommandRedirected(QStringLiteral(QUELMAR_TOOL),
                                                    {u"exportar"_s, database, table}, redirection);
        QVERIFY2(run.exitCode == status, run.transcript());
        QVERIFY2(reason.isEmpty() ? run.err.isEmpty() : run.err.contains(reason.toUtf8()),
                 run.transcript());
        QCOMPARE(contentOf(database), before);
    }

    // Collections made by hand hold texts no plain message separated by "%" lines can carry; each
    // comes back byte for byte, between two plain messages whose numbers must not move.
    void exportThenCreateGivesTheSameCollection_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("a line of only %") << QByteArray("um\n%\ndois");
        QTest::newRow("a % line with blanks") << QByteArray("um\n  %\t\ndois");
        QTest::newRow("blank lines at both ends") << QByteArray("\n  \nmeio\n\n\t\n");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("only blanks") << QByteArray("   ");
        QTest::newRow("byte-order mark first") << QByteArray("\xEF\xBB\xBFol\xC3\xA1");
        QTest::newRow("byte-order mark inside") << QByteArray("a\n\xEF\xBB\xBF"
                                                              "b \xEF\xBB\xBF");
        QTest::newRow("invalid UTF-8") << QByteArray("d\xFFo\xC3\n\xED\xA0\x80");
        QTest::newRow("carriage returns") << QByteArray("a\r\nb\r");
        QTest::newRow("escapes lookalikes") << QByteArray("%\\x41 \\r\n%\\\n%%\n\\");
    }

    void exportThenCreateGivesTheSameCollection() {
        QFETCH(QByteArray, text);
        ScratchDirectory scratch;
        const QString original = scratch.file(u"original.db"_s);
        const QString copy = scratch.file(u"copia.db"_s);
        const QString exported = scratch.file(u"exportada.txt"_s);
        runSql(original, u"CREATE TABLE Mensagens (Numero SMALLINT, mensagem TEXT);"
                         u"INSERT INTO Mensagens VALUES (1, 'antes'), (2, CAST(X'%1' AS TEXT)), "
                         u"(3, 'depois')"_s.arg(QString::fromLatin1(text.toHex())));

        const CommandRun out = runTool({u"exportar"_s, original, table});
        QVERIFY2(out.exitCode == 0, out.transcript());
        replaceContent(exported, out.out);
        const CommandRun created = runTool({u"criar"_s, copy, table, exported});
        QVERIFY2(created.exitCode == 0, created.transcript() + "\nexported:\n" + out.out);
        QCOMPARE(storedBytes(copy), storedBytes(original));
    }

    void createRefusesLargeSources_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("size"); // as the error gives it
        QTest::newRow("a file a byte over the limit") << u"grande.txt"_s << u"33554433"_s;
        QTest::newRow("an endless device") << u"/dev/zero"_s << u"passam dos"_s;
    }

    void createRefusesLargeSources() {
        QFETCH(QString, source);
        QFETCH(QString, size);
        ScratchDirectory scratch;
        QFile large(scratch.file(u"grande.txt"_s));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(32 * 1024 * 1024 + 1));
        large.close();
        const QString output = scratch.file(u"colecao.db"_s);

        const CommandRun run = runTool(
            {u"criar"_s, output, table, source.startsWith(u'/') ? source : scratch.file(source)});
        QVERIFY2(run.exitCode == 1, run.transcript());
        QVERIFY2(run.err.contains(size.toUtf8()) && run.err.contains("33554432 bytes"),
                 run.transcript());
        QCOMPARE(entryNames(scratch.path()), QStringList{u"grande.txt"_s});
    }

    void createJoinsSourcesInOrder() {
        ScratchDirectory scratch;
        const QString first = scratch.file(u"um.txt"_s);
        const QString second = scratch.file(u"dois.txt"_s);
        const QString output = scratch.file(u"colecao.db"_s);
        replaceContent(first, "a\n%\nb\n");
        replaceContent(second, "c\n%\n");
        const CommandRun run = runTool({u"criar"_s, output, table, first, second});
        QVERIFY2(run.exitCode == 0, run.transcript());
        QCOMPARE(queryText(output, u"SELECT group_concat(Numero || mensagem, ' ') FROM (SELECT * "
                                   u"FROM Mensagens ORDER BY Numero)"_s),
                 u"1a 2b 3c"_s);
        replaceContent(second, "c\n%\n\xFF\n");
        const CommandRun refused = runTool({u"criar"_s, output, table, first, second});
        QVERIFY2(refused.exitCode == 1 && refused.err.contains((second + u":3: "_s).toUtf8()),
                 refused.transcript());
    }

    void createReadsEncodings_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("message"); // or, when refused, what the error says
        QTest::addColumn<int>("exitCode");
        QTest::newRow("latin1") << QByteArray("cora\xE7\xE3o") << u"latin1"_s << u"coração"_s << 0;
        QTest::newRow("cp1252 quotes and euro") << QByteArray("\x93"
                                                              "aspas\x94 \x80 5")
                                                << u"cp1252"_s << u"“aspas” € 5"_s << 0;
        QTest::newRow("auto on cp1252")
            << QByteArray("\x93ol\xE1\x94") << u"auto"_s << u"“olá”"_s << 0;
        QTest::newRow("auto on UTF-8") << u"olá “x”"_s.toUtf8() << u"AUTO"_s << u"olá “x”"_s << 0;
        QTest::newRow("byte cp1252 leaves undefined") << QByteArray("a\x81"
                                                                    "b")
                                                      << u"cp1252"_s << u"0x81"_s << 1;
        QTest::newRow("latin1 refused as UTF-8")
            << QByteArray("cora\xE7\xE3o") << QString() << u"--codificacao"_s << 1;
    }

    void createReadsEncodings() {
        QFETCH(QByteArray, source);
        QFETCH(QString, encoding);
        QFETCH(QString, message);
        QFETCH(int, exitCode);
        ScratchDirectory scratch;
        const QString output = scratch.file(u"colecao.db"_s);
        const CommandRun run = createFrom(
            scratch, source + "\n%\n", output,
            encoding.isEmpty() ? QStringList{} : QStringList{u"--codificacao="_s + encoding});
        QVERIFY2(run.exitCode == exitCode, run.transcript());
        if (exitCode == 0)
            QCOMPARE(messageNumbered(output, 1), message);
        else
            QVERIFY2(run.err.contains(message.toUtf8()) && run.err.count("fonte.txt:") == 1,
                     run.transcript());
    }

    void verifyReports_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("reports");
        const auto broken = [](const char* name, const QString& sql, const QStringList& reports) {
            QTest::newRow(name) << QByteArray() << sql << 1 << reports;
        };
        QTest::newRow("sound collection")
            << QByteArray() << collectionWithRows(u"(2, 'b'), (1, 'a'), (3, 'ç')"_s) << 0
            << QStringList{u"sem problemas"_s};
        QTest::newRow("missing file")
            << QByteArray() << QString() << 1 << QStringList{u"não foi encontrado"_s};
        QTest::newRow("random bytes")
            << randomBytes(4096) << QString() << 1 << QStringList{u"não é um banco de dados"_s};
        broken("missing table", u"CREATE TABLE Outra (Numero SMALLINT, mensagem TEXT)"_s,
               {u"A tabela \"Mensagens\" não existe"_s});
        broken("no mensagem column",
               u"CREATE TABLE Mensagens (Numero SMALLINT); INSERT INTO Mensagens VALUES (1)"_s,
               {u"falta a coluna \"mensagem\""_s});
        broken("no Numero column",
               u"CREATE TABLE Mensagens (mensagem TEXT); INSERT INTO Mensagens VALUES ('a')"_s,
               {u"A coluna \"Numero\" não existe"_s});
        broken("empty table", u"CREATE TABLE Mensagens (Numero SMALLINT, mensagem TEXT)"_s,
               {u"a coleção está vazia"_s});
        broken("null number", collectionWithRows(u"(NULL, 'a'), (1, 'b')"_s),
               {u"registro 1, valor (nulo): Numero nulo"_s});
        broken("null text", collectionWithRows(u"(1, 'a'), (2, NULL)"_s),
               {u"registro 2, valor (nulo): mensagem nula"_s});
        broken("empty text", collectionWithRows(u"(1, ''), (2, 'b')"_s),
               {u"registro 1, valor \"\": mensagem vazia"_s});
        broken("blank text", collectionWithRows(u"(1, 'a'), (2, ' \n ')"_s),
               {u"registro 2"_s, u"mensagem vazia"_s});
        broken("duplicate number", collectionWithRows(u"(1, 'a'), (2, 'b'), (2, 'c')"_s),
               {u"valor 2: Numero repetido"_s, u"falta a mensagem de número 3"_s});
        broken("gap", collectionWithRows(u"(1, 'a'), (2, 'b'), (4, 'c')"_s),
               {u"registro 3, valor 4: Numero fora de 1 a 3"_s,
                u"falta a mensagem de número 3; numa coleção de 3 mensagens, elas precisam estar "
                u"numeradas de 1 a 3, sem faltar nem repetir nenhum número"_s});
        broken("number 0", collectionWithRows(u"(0, 'a'), (1, 'b')"_s),
               {u"registro 1, valor 0: Numero fora de 1 a 2"_s});
        broken("negative number", collectionWithRows(u"(-1, 'a'), (1, 'b')"_s),
               {u"registro 1, valor -1: Numero fora de 1 a 2"_s});
        broken("number 40000", collectionWithRows(u"(1, 'a'), (40000, 'b')"_s),
               {u"registro 2, valor 40000: Numero não cabe em um inteiro de 16 bits"_s});
        broken("text number", collectionWithRows(u"(1, 'a'), ('dois', 'b')"_s),
               {u"valor dois: Numero não é um número inteiro"_s});
        broken("fractional number", collectionWithRows(u"(1, 'a'), (2.5, 'b')"_s),
               {u"registro 2, valor 2.5: Numero não é um número inteiro"_s});
        // Without a declared type the number stays a number instead of turning into text.
        broken("number as text",
               u"CREATE TABLE Mensagens (Numero SMALLINT, mensagem);"
               u"INSERT INTO Mensagens VALUES (1, 'a'), (2, 42)"_s,
               {u"registro 2, valor 42: mensagem não é um texto"_s});
        broken("binary text", collectionWithRows(u"(1, 'a'), (2, x'00FF41')"_s),
               {u"registro 2: mensagem não é um texto, e sim dados binários"_s});
        broken("32768 rows",
               u"CREATE TABLE Mensagens (Numero SMALLINT, mensagem TEXT);"
               u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32768)"
               u"INSERT INTO Mensagens SELECT i, 'm' FROM n"_s,
               {u"mais de 32767 mensagens"_s, u"valor 32768: Numero não cabe"_s});
        const auto warned = [](const char* name, const QString& rows, const QString& report) {
            QTest::newRow(name) << QByteArray() << collectionWithRows(rows) << 0
                                << QStringList{u"aviso: a mensagem "_s + report,
                                               u"sem problemas ("_s};
        };
        warned("alike but for case and accents",
               u"(1, 'Coração valente'), (2, 'outra'), (3, 'CORACAO VALENTE')"_s,
               u"3 é igual à mensagem 1"_s);
        warned("control character", u"(1, 'a' || char(7) || 'b' || char(9) || 'c')"_s,
               u"1 tem caracteres de controle (U+0007)"_s);
        warned("bytes that are not UTF-8", u"(1, CAST(X'61FF62' AS TEXT))"_s,
               u"1 tem bytes que não são UTF-8"_s);
        warned("longer than the message box",
               u"(1, 'curta'), (2, '%1')"_s.arg(QStringList(60, u"palavra comprida"_s).join(u' ')),
               u"2 ocupa cerca de"_s);
        warned("a line of only %", u"(1, 'a' || char(10) || '%' || char(10) || 'b')"_s,
               u"1 só volta igual"_s);
        broken("every fault listed", collectionWithRows(u"(1, ''), (1, NULL), (7, 'c')"_s),
               {u"mensagem vazia"_s, u"mensagem nula"_s, u"Numero repetido"_s,
                u"valor 7: Numero fora de 1 a 3"_s, u"falta a mensagem de número 2"_s,
                u"falta a mensagem de número 3"_s, u"6 problema(s)"_s});
    }

    void verifyReports() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sql);
        QFETCH(int, exitCode);
        QFETCH(QStringList, reports);
        ScratchDirectory scratch;
        const QString database = scratch.file(u"colecao.db"_s);
        if (!bytes.isEmpty())
            replaceContent(database, bytes);
        if (!sql.isEmpty())
            runSql(database, sql);
        const QStringList filesBefore = entryNames(scratch.path());
        const QByteArray before = contentOf(database);

        const CommandRun run = runTool({u"verificar"_s, database, table});
        QVERIFY2(run.exitCode == exitCode, run.transcript());
        for (const QString& report : reports)
            QVERIFY2(run.out.contains(report.toUtf8()), run.transcript());
        QCOMPARE(entryNames(scratch.path()), filesBefore);
        QCOMPARE(contentOf(database), before);
    }

    void optionsAreCreatedOnce() {
        ScratchDirectory scratch;
        const QString options = scratch.file(u"opcoes.db"_s);
        const CommandRun first = runTool({u"opcoes"_s, options});
        QVERIFY2(first.exitCode == 0, first.transcript());
        QCOMPARE(queryText(options, u"SELECT count(*) FROM opcoes"_s), u"1"_s);
        QCOMPARE(queryText(options, u"SELECT IniCom || ' | ' || SegTem || ' | ' || ComTem "
                                    u"FROM opcoes"_s),
                 u"1 | 15.0 | 1"_s);
        QCOMPARE(queryText(options, u"SELECT typeof(SegTem) FROM opcoes"_s), u"real"_s);
    }

    void optionsNeverReplaceAName_data() {
        QTest::addColumn<QString>("existing");
        QTest::newRow("options made before") << u"options"_s;
        QTest::newRow("a link to a missing file") << u"link"_s;
    }

    void optionsNeverReplaceAName() {
        QFETCH(QString, existing);
        ScratchDirectory scratch;
        const QString options = scratch.file(u"opcoes.db"_s);
        if (existing == u"link")
            QVERIFY(QFile::link(scratch.file(u"plantado"_s), options));
        else
            makeOptions(options, u"1"_s, u"30"_s, u"1"_s);
        const QStringList before = directoryState(scratch.path());
        const CommandRun run = runTool({u"opcoes"_s, options});
        QVERIFY2(run.exitCode == 1 && run.err.contains(options.toUtf8()), run.transcript());
        QCOMPARE(directoryState(scratch.path()), before);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{u"apagar"_s, u"x.db"_s};
        QTest::newRow("criar short of the source") << QStringList{u"criar"_s, u"x.db"_s, table};
        QTest::newRow("verificar without table") << QStringList{u"verificar"_s, u"x.db"_s};
        QTest::newRow("exportar with extra argument")
            << QStringList{u"exportar"_s, u"x.db"_s, table, u"y"_s};
        QTest::newRow("opcoes without file") << QStringList{u"opcoes"_s};
        QTest::newRow("opcoes with two files") << QStringList{u"opcoes"_s, u"x.db"_s, u"y.db"_s};
        QTest::newRow("unknown encoding")
            << QStringList{u"criar"_s, u"--codificacao"_s, u"ebcdic"_s, u"x.db"_s, table, u"y"_s};
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        ScratchDirectory scratch;
        const CommandRun run = runTool(arguments, scratch.path());
        QVERIFY2(run.exitCode == 2, run.transcript());
        QVERIFY2(run.err.contains("--help"), run.transcript());
        QCOMPARE(entryNames(scratch.path()), QStringList{});
    }

    // The system's and the toolkit's English never stand alone in a failure: one Portuguese line.
    void failuresArePortuguese_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("missing source") << QStringList{u"criar"_s, u"x.db"_s, table, u"nada"_s};
        QTest::newRow("empty source name") << QStringList{u"criar"_s, u"x.db"_s, table, u""_s};
        QTest::newRow("missing output folder")
            << QStringList{u"criar"_s, u"nada/x.db"_s, table, u"/dev/null"_s};
        QTest::newRow("empty options name") << QStringList{u"opcoes"_s, u""_s};
    }

    void failuresArePortuguese() {
        QFETCH(QStringList, arguments);
        ScratchDirectory scratch;
        const CommandRun run = runTool(arguments, scratch.path());
        QVERIFY2(run.exitCode == 1, run.transcript());
        QVERIFY2(!run.err.contains(std::strerror(ENOENT)), run.transcript());
        QVERIFY2(run.err.count('\n') == 1, run.transcript());
    }

    // Names are bytes, whatever their length: each file is found or made under its own name,
    // and made again in place of the collection it made.
    void fileNamesAsBytes_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("output");
        const QByteArray deep = QByteArray(200, 'a') + '/' + QByteArray(200, 'b') + '/';
        QTest::newRow("source") << QByteArray("fonte\xff.txt") << QByteArray("saida.db");
        QTest::newRow("output") << QByteArray("fonte.txt") << QByteArray("sa\xffida.db");
        QTest::newRow("longer than 512 bytes") << deep + "fonte.txt" << deep + QByteArray(200, 'c');
    }

    void fileNamesAsBytes() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, output);
        ScratchDirectory scratch;
        const QByteArray folder = QFile::encodeName(scratch.path()) + '/';
        QVERIFY(QDir(scratch.path())
                    .mkpath(u"./"_s + QString::fromLatin1(source).section(u'/', 0, -2)));
        QFile file;
        QVERIFY(file.open(fopen((folder + source).constData(), "w"), QIODevice::WriteOnly,
                          QFileDevice::AutoCloseHandle));
        file.write("um\n");
        file.close();
        // Given to bash as $'...' words, so that the bytes reach the command as they are.
        const auto word = [&folder](const QByteArray& name) {
            QString quoted = u"$'"_s;
            for (const char byte : folder + name)
                quoted += QString::asprintf("\\x%02x", static_cast<unsigned char>(byte));
            return quoted + u"'"_s;
        };
        for (int time = 0; time < 2; ++time) {
            const CommandRun run = runCommandRedirected(QStringLiteral(QUELMAR_TOOL), {u"criar"_s},
                                                        word(output) + u" T "_s + word(source));
            QVERIFY2(run.exitCode == 0, run.transcript());
            QCOMPARE(::access((folder + output).constData(), R_OK), 0);
        }
    }

    void helpNamesEveryCommand() {
        const CommandRun run = runTool({u"--help"_s});
        QVERIFY2(run.exitCode == 0, run.transcript());
        for (const char* usage :
             {"criar [--codificacao COD] SAIDA TABELA FONTE [FONTE...]", "verificar ARQUIVO TABELA",
              "exportar ARQUIVO TABELA", "opcoes ARQUIVO"})
            QVERIFY2(run.out.contains(usage), usage);
    }
};

QTEST_GUILESS_MAIN(TestTool)

#include "test_tool.moc"
