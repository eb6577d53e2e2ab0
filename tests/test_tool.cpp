#include "support/scratch_database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString table = u"Mensagens"_s;

struct ToolRun {
    int exitCode = -1; // -1 when the tool crashed or hung
    QByteArray out;
    QByteArray err;

    QByteArray transcript() const {
        return "exit " + QByteArray::number(exitCode) + "\nstdout:\n" + out + "stderr:\n" + err;
    }
};

ToolRun runTool(const QStringList& arguments, const QString& workingDirectory = {}) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(QUELMAR_TOOL), arguments);
    const bool finished = process.waitForFinished(120'000);
    const bool normal = finished && process.exitStatus() == QProcess::NormalExit;
    return {normal ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Hidden files included, so a temporary left behind by a failed run shows up.
QStringList filesIn(const ScratchDirectory& scratch) {
    return QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
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

QString messageNumbered(const QString& database, int number) {
    return queryText(database, u"SELECT mensagem FROM Mensagens WHERE Numero = %1"_s.arg(number));
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
    }

    void roundTrip() {
        QFETCH(QByteArray, source);
        QFETCH(QStringList, messages);
        ScratchDirectory scratch;
        const QString sourcePath = scratch.file(u"fonte.txt"_s);
        // A "%3" in a file name is a name, not a place in the tool's messages.
        const QString database = scratch.file(u"colecao %3.db"_s);
        writeFile(sourcePath, source);

        const ToolRun created = runTool({u"criar"_s, database, table, sourcePath});
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
        const ToolRun exported = runTool({u"exportar"_s, database, table});
        QVERIFY2(exported.exitCode == 0, exported.transcript());
        QCOMPARE(exported.out, expectedExport);

        const ToolRun verified = runTool({u"verificar"_s, database, table});
        QVERIFY2(verified.exitCode == 0, verified.transcript());
    }

    void createAcceptsTheLargestCollection() {
        ScratchDirectory scratch;
        const QString sourcePath = scratch.file(u"fonte.txt"_s);
        const QString database = scratch.file(u"colecao.db"_s);
        writeFile(sourcePath, numberedMessages(32767));
        const ToolRun created = runTool({u"criar"_s, database, table, sourcePath});
        QVERIFY2(created.exitCode == 0, created.transcript());
        QCOMPARE(queryText(database, u"SELECT max(Numero) FROM Mensagens"_s), u"32767"_s);
        QCOMPARE(messageNumbered(database, 32767), u"mensagem 32767"_s);
        const ToolRun verified = runTool({u"verificar"_s, database, table});
        QVERIFY2(verified.exitCode == 0, verified.transcript());
    }

    void createRefuses_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("outputExists");
        const QString empty = u"mensagem vazia"_s;
        const QString notUtf8 = u"UTF-8"_s;
        const QString nothing = u"nenhuma mensagem"_s;
        QTest::newRow("two separators in a row")
            << QByteArray("um\n%\n%\ndois\n") << 3 << empty << false;
        QTest::newRow("only blank lines between separators, existing output")
            << QByteArray("um\n%\n  \r\n\n%\ndois\n") << 5 << empty << true;
        QTest::newRow("separator first") << QByteArray("%\num\n") << 1 << empty << false;
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
        writeFile(sourcePath, source);
        if (outputExists)
            makeCollection(output, table, {u"anterior"_s});
        const QByteArray before = readFile(output);
        const QStringList filesBefore = filesIn(scratch);

        const ToolRun run = runTool({u"criar"_s, output, table, sourcePath});
        QVERIFY2(run.exitCode == 1, run.transcript());
        const QByteArray where = (sourcePath + u':' + QString::number(line) + u": "_s).toUtf8();
        QVERIFY2(run.err.contains(where) && run.err.contains(reason.toUtf8()), run.transcript());
        QCOMPARE(filesIn(scratch), filesBefore);
        QCOMPARE(readFile(output), before);
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
            writeFile(database, bytes);
        if (!sql.isEmpty())
            runSql(database, sql);
        const QStringList filesBefore = filesIn(scratch);
        const QByteArray before = readFile(database);

        const ToolRun run = runTool({u"verificar"_s, database, table});
        QVERIFY2(run.exitCode == exitCode, run.transcript());
        for (const QString& report : reports)
            QVERIFY2(run.out.contains(report.toUtf8()), run.transcript());
        QCOMPARE(filesIn(scratch), filesBefore);
        QCOMPARE(readFile(database), before);
    }

    void optionsAreCreatedOnce() {
        ScratchDirectory scratch;
        const QString options = scratch.file(u"opcoes.db"_s);
        const ToolRun first = runTool({u"opcoes"_s, options});
        QVERIFY2(first.exitCode == 0, first.transcript());
        QCOMPARE(queryText(options, u"SELECT count(*) FROM opcoes"_s), u"1"_s);
        QCOMPARE(queryText(options, u"SELECT IniCom || ' | ' || SegTem || ' | ' || ComTem "
                                    u"FROM opcoes"_s),
                 u"1 | 15.0 | 1"_s);
        QCOMPARE(queryText(options, u"SELECT typeof(SegTem) FROM opcoes"_s), u"real"_s);

        runSql(options, u"UPDATE opcoes SET SegTem = 30"_s);
        const QByteArray before = readFile(options);
        const ToolRun second = runTool({u"opcoes"_s, options});
        QVERIFY2(second.exitCode == 1, second.transcript());
        QCOMPARE(readFile(options), before);
        QCOMPARE(filesIn(scratch), QStringList{u"opcoes.db"_s});
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
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        ScratchDirectory scratch;
        const ToolRun run = runTool(arguments, scratch.path());
        QVERIFY2(run.exitCode == 2, run.transcript());
        QVERIFY2(run.err.contains("--help"), run.transcript());
        QCOMPARE(filesIn(scratch), QStringList{});
    }

    void helpNamesEveryCommand() {
        const ToolRun run = runTool({u"--help"_s});
        QVERIFY2(run.exitCode == 0, run.transcript());
        for (const char* usage : {"criar SAIDA TABELA FONTE", "verificar ARQUIVO TABELA",
                                  "exportar ARQUIVO TABELA", "opcoes ARQUIVO"})
            QVERIFY2(run.out.contains(usage), usage);
    }
};

QTEST_GUILESS_MAIN(TestTool)

#include "test_tool.moc"
