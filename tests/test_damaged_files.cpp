// The program started on damaged program directories. Each row damages one file and says what
// the user must get: the error box with its number and words naming the file and the fault, at
// start-up or when the damaged collection becomes current; a failed-write box from the Options
// window; or a normal start. Whatever happens, no file in the directory changes, appears or
// disappears.

#include "support/program_run.h"
#include "windows/opcoes.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using windows::frmPrincipal;

namespace {

enum class Damage {
    Missing,
    Empty,
    FirstHalf,
    First1000Bytes,
    RandomBytes,
    Folder,
    Fifo,
    FifoJournal,
    Device,
    LinkLoop,
    DanglingLink,
    Unreadable,
    ReadOnly,
    Sql,
    ExclusiveLock,
    ReservedLock,
};

// When the damage shows.
enum class Outcome {
    Works,         // starts, and switching to the other collection works too
    FailsAtStart,  // the error box instead of the main window
    FailsOnSwitch, // starts; the error box when the other collection becomes current
    OkCannotWrite, // starts; "Ok" in the Options window tells why nothing was stored
};

} // namespace

Q_DECLARE_METATYPE(Damage)
Q_DECLARE_METATYPE(Outcome)

namespace {

void damageFile(const QString& path, Damage damage, const QString& sql) {
    switch (damage) {
    case Damage::Missing:
        QVERIFY(QFile::remove(path));
        break;
    case Damage::Empty:
        replaceContent(path, {});
        break;
    case Damage::FirstHalf:
        replaceContent(path, contentOf(path).first(QFileInfo(path).size() / 2));
        break;
    case Damage::First1000Bytes:
        replaceContent(path, contentOf(path).first(1000));
        break;
    case Damage::RandomBytes:
        replaceContent(path, randomBytes(4096));
        break;
    case Damage::Folder:
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        break;
    case Damage::Fifo:
        QVERIFY(QFile::remove(path));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        break;
    case Damage::FifoJournal:
        QCOMPARE(::mkfifo(QFile::encodeName(path + u"-journal"_s).constData(), 0644), 0);
        break;
    case Damage::Device:
        QVERIFY(QFile::remove(path));
        QCOMPARE(::symlink("/dev/null", QFile::encodeName(path).constData()), 0);
        break;
    case Damage::LinkLoop:
        QVERIFY(QFile::remove(path));
        QCOMPARE(::symlink(QFile::encodeName(QFileInfo(path).fileName()).constData(),
                           QFile::encodeName(path).constData()),
                 0);
        break;
    case Damage::DanglingLink:
        QVERIFY(QFile::remove(path));
        QCOMPARE(::symlink("antigo", QFile::encodeName(path).constData()), 0);
        break;
    case Damage::Unreadable:
        QVERIFY(QFile::setPermissions(path, {}));
        break;
    case Damage::ReadOnly:
        QVERIFY(
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        break;
    case Damage::Sql:
        runSql(path, sql);
        break;
    case Damage::ExclusiveLock:
    case Damage::ReservedLock:
        break; // taken by the caller, for as long as the run lasts
    }
}

std::unique_ptr<LockInOtherProcess> lockFor(const QString& path, Damage damage) {
    if (damage == Damage::ExclusiveLock)
        return std::make_unique<LockInOtherProcess>(path, LockInOtherProcess::Kind::Exclusive);
    if (damage == Damage::ReservedLock)
        return std::make_unique<LockInOtherProcess>(path, LockInOtherProcess::Kind::Reserved);
    return nullptr;
}

// The first message of a collection, as the file stores it.
QString firstMessage(const QString& directory, bool second) {
    const QString file = second ? u"tarvenas.mdb"_s : u"quelmar.mdb"_s;
    const QString table = second ? u"Tarvenas_tab"_s : u"QuelmarOrivela"_s;
    return queryText(QDir(directory).filePath(file),
                     u"SELECT mensagem FROM %1 WHERE Numero = 1"_s.arg(table));
}

// The box of a run-time error: the standard title, the number, the file and the words asked for;
// the same text on the program's standard error; the program ended with status 1.
void expectRuntimeError(ProgramRun& run, int number, const QString& path,
                        const QStringList& texts) {
    QCOMPARE(run.services.boxes.size(), std::size_t{1});
    const RecordingServices::Box& box = run.services.boxes.front();
    QCOMPARE(box.title, u"Quelmar de Orivela"_s);
    QCOMPARE(box.style, toolkit::vbCritical);
    QVERIFY2(box.prompt.startsWith(u"Erro em tempo de execução '%1':\n\n"_s.arg(number)),
             qPrintable(box.prompt));
    for (const QString& text : QStringList{path} + texts)
        QVERIFY2(box.prompt.contains(text),
                 qPrintable(u"«%1» não diz «%2»"_s.arg(box.prompt, text)));
    const QString line = u"quelmar: "_s + QString(box.prompt).replace(u"':\n\n"_s, u"': "_s);
    QCOMPARE(run.services.errorLines, std::vector<QString>{line});
    QVERIFY(run.program.ended());
    QCOMPARE(run.program.exitStatus(), 1);
    QCOMPARE(run.services.endings, std::vector<int>{1});
}

void switchCollection(frmPrincipal& window) {
    const bool second = window.option(u"OptTarvenas").Value();
    window.option(second ? u"OptQuelmar" : u"OptTarvenas").click();
}

} // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
};

void TestDamagedFiles::startUp_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("iniCom");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("number");
    QTest::addColumn<QStringList>("texts");

    const QString opcoes = u"opcoes"_s;
    for (const QString& file : {u"quelmar.mdb"_s, u"tarvenas.mdb"_s, opcoes}) {
        const auto row = [&](const char* fault, Damage damage, int number,
                             const QStringList& texts) {
            QTest::addRow("%s: %s", qPrintable(file), fault)
                << file << damage << QString() << u"1"_s << Outcome::FailsAtStart << number
                << texts;
        };
        row("missing", Damage::Missing, 101, {u"não foi encontrado"_s});
        row("empty", Damage::Empty, 102, {u"está vazio"_s, u"não é um banco de dados"_s});
        row("first half", Damage::FirstHalf, 104, {u"danificado"_s});
        row("first 1000 bytes", Damage::First1000Bytes, 104, {u"danificado"_s});
        row("random bytes", Damage::RandomBytes, 102, {u"não é um banco de dados"_s});
        row("a folder", Damage::Folder, 102, {u"é uma pasta"_s});
        row("a FIFO", Damage::Fifo, 102, {u"não é um arquivo comum, e sim um FIFO"_s});
        // Passed by every look before SQLite opens it, as a name swapped at the last moment is.
        row("a FIFO journal", Damage::FifoJournal, 102, {u"-journal\" não é um arquivo comum"_s});
        row("a device", Damage::Device, 102, {u"não é um arquivo comum, e sim um dispositivo"_s});
        row("a link loop", Damage::LinkLoop, 101,
            {u"é um link simbólico que leva, de link em link, de volta a si mesmo"_s});
        row("a link to nothing", Damage::DanglingLink, 101,
            {u"é um link simbólico para \"antigo\", que não existe"_s});
        row("unreadable", Damage::Unreadable, 111, {u"não tem permissão para ler"_s});
    }

    // The start-up collection is judged at start-up, the other one when it becomes current; a
    // table or a Numero column that is not there stops the rows being read at all.
    struct Collection {
        QString file;
        QString table;
        int messages;
        Outcome judged;
    };
    const ProgramFiles delivered;
    for (const Collection& collection :
         {Collection{u"quelmar.mdb"_s, u"QuelmarOrivela"_s, int(delivered.quelmar.size()),
                     Outcome::FailsAtStart},
          Collection{u"tarvenas.mdb"_s, u"Tarvenas_tab"_s, int(delivered.tarvenas.size()),
                     Outcome::FailsOnSwitch}}) {
        const QString& table = collection.table;
        const auto row = [&](const char* fault, const QString& sql, Outcome outcome, int number,
                             const QStringList& texts) {
            QTest::addRow("%s: %s", qPrintable(collection.file), fault)
                << collection.file << Damage::Sql << sql.arg(table) << u"1"_s << outcome << number
                << texts + QStringList{u"tabela %1"_s.arg(table)};
        };
        const auto judged = [&](const char* fault, const QString& sql, int number,
                                const QStringList& texts) {
            row(fault, sql, collection.judged, number, texts);
        };
        const auto allNumbered = [](int count) {
            return u"numa coleção de %1 mensagens, elas precisam estar numeradas de 1 a %1, sem "
                   u"faltar nem repetir nenhum número."_s.arg(count);
        };
        const QString lastNumber = u"(SELECT max(Numero) FROM %1)"_s;
        const QString upTo = u"WITH RECURSIVE n(i) AS (SELECT %2 + 1 UNION ALL SELECT i + 1 FROM n "
                             u"WHERE i < %3) INSERT INTO %1 SELECT i, 'X' || i FROM n"_s;

        QTest::addRow("%s: table missing", qPrintable(collection.file))
            << collection.file << Damage::Sql << u"ALTER TABLE %1 RENAME TO Outra"_s.arg(table)
            << u"1"_s << Outcome::FailsAtStart << 105
            << QStringList{u"A tabela \"%1\" não existe"_s.arg(table)};
        row("Numero missing", u"ALTER TABLE %1 RENAME COLUMN Numero TO Num"_s,
            Outcome::FailsAtStart, 106, {u"não tem a coluna \"Numero\""_s});
        judged("mensagem missing", u"ALTER TABLE %1 RENAME COLUMN mensagem TO texto"_s, 106,
               {u"não tem a coluna \"mensagem\""_s});
        judged("Numero holding words", u"UPDATE %1 SET Numero = 'quatro' WHERE Numero = 4"_s, 113,
               {u"o número \"quatro\" não é um número inteiro"_s});
        judged("Numero holding 2.5", u"UPDATE %1 SET Numero = 2.5 WHERE Numero = 2"_s, 113,
               {u"o número 2.5 não é um número inteiro"_s});
        judged("mensagem holding a blob", u"UPDATE %1 SET mensagem = x'00FF7F' WHERE Numero = 2"_s,
               113, {u"a mensagem de número 2 não é um texto, e sim dados binários"_s});
        judged("empty table", u"DELETE FROM %1"_s, 107, {u"está vazia"_s});
        judged("null Numero", u"UPDATE %1 SET Numero = NULL WHERE Numero = 3"_s, 113,
               {u"há uma mensagem sem número (o campo Numero é nulo)"_s});
        judged("null mensagem", u"UPDATE %1 SET mensagem = NULL WHERE Numero = 2"_s, 113,
               {u"a mensagem de número 2 não tem texto (o campo mensagem é nulo)"_s});
        judged("duplicate number", u"UPDATE %1 SET Numero = 2 WHERE Numero = 3"_s, 113,
               {u"o número 2 se repete; "_s + allNumbered(collection.messages)});
        judged("gap", u"DELETE FROM %1 WHERE Numero = 2"_s, 113,
               {u"falta a mensagem de número 2; "_s + allNumbered(collection.messages - 1)});
        judged("number 40000", u"UPDATE %1 SET Numero = 40000 WHERE Numero = "_s + lastNumber, 113,
               {u"o número 40000 está fora da faixa"_s});
        judged("number -40000", u"UPDATE %1 SET Numero = -40000 WHERE Numero = 1"_s, 113,
               {u"o número -40000 está fora da faixa"_s});
        judged("one message numbered 3", u"DELETE FROM %1 WHERE Numero <> 3"_s, 113,
               {u"o número 3 está fora da faixa; numa coleção de uma só mensagem, ela precisa "
                u"ter o número 1."_s});
        judged("32768 messages", upTo.arg(u"%1"_s, lastNumber, u"32768"_s), 201,
               {u"tem 32768 mensagens, mais do que as 32767"_s});
        row("32767 messages", upTo.arg(u"%1"_s, lastNumber, u"32767"_s), Outcome::Works, 0, {});
        // Read at start-up, both of them: the collections are opened before either is judged.
        row("an endless view",
            u"DROP TABLE %1; CREATE VIEW %1 AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
            u"i + 1 FROM n) SELECT i AS Numero, 'X' || i AS mensagem FROM n"_s,
            Outcome::FailsAtStart, 113,
            {u"não pode ser usada: a leitura levou mais de 3 segundos"_s, u" bytes)"_s});
        // Without a declared type a whole number stored as a real stays one; it counts as whole.
        row("Numero holding whole reals",
            u"CREATE TABLE n AS SELECT Numero * 1.0 AS Numero, mensagem FROM %1; DROP TABLE %1; "
            u"CREATE TABLE %1 (Numero, mensagem TEXT); INSERT INTO %1 SELECT * FROM n; "
            u"DROP TABLE n"_s,
            Outcome::Works, 0, {});
        // Without a declared type the numbers stay numbers; they are shown as text.
        row("mensagem holding numbers",
            u"CREATE TABLE n AS SELECT Numero, Numero * 11 AS mensagem FROM %1; DROP TABLE %1; "
            u"CREATE TABLE %1 (Numero SMALLINT, mensagem); INSERT INTO %1 SELECT * FROM n; "
            u"DROP TABLE n"_s,
            Outcome::Works, 0, {});
    }
    // The start-up collection may be the second one: judged at start-up all the same.
    QTest::newRow("tarvenas.mdb: gap, current at start-up")
        << u"tarvenas.mdb"_s << Damage::Sql << u"DELETE FROM Tarvenas_tab WHERE Numero = 2"_s
        << u"2"_s << Outcome::FailsAtStart << 113
        << QStringList{u"falta a mensagem de número 2; numa coleção de 3 mensagens"_s};

    const auto options = [&](const char* name, Damage damage, const QString& sql, Outcome outcome,
                             int number, const QStringList& texts) {
        QTest::newRow(name) << opcoes << damage << sql << u"1"_s << outcome << number << texts;
    };
    const auto fails = [&](const char* name, const QString& sql, int number,
                           const QStringList& texts) {
        options(name, Damage::Sql, sql, Outcome::FailsAtStart, number, texts);
    };
    const auto works = [&](const char* name, const QString& sql) {
        options(name, Damage::Sql, sql, Outcome::Works, 0, {});
    };
    fails("opcoes: table missing", u"ALTER TABLE opcoes RENAME TO outra"_s, 105,
          {u"A tabela \"opcoes\" não existe"_s});
    fails("opcoes: empty table", u"DELETE FROM opcoes"_s, 107,
          {u"A tabela \"opcoes\""_s, u"não tem nenhum registro"_s});
    fails("opcoes: SegTem null", u"UPDATE opcoes SET SegTem = NULL"_s, 202,
          {u"o campo SegTem da tabela opcoes é nulo"_s});
    fails("opcoes: SegTem -1", u"UPDATE opcoes SET SegTem = -1"_s, 301,
          {u"a cada -1 segundos (campo SegTem"_s, u"de 0 a 2147483 segundos"_s});
    fails("opcoes: SegTem 3000000", u"UPDATE opcoes SET SegTem = 3000000"_s, 201,
          {u"a cada 3000000 segundos (campo SegTem"_s, u"de 0 a 2147483 segundos"_s});
    // A text that only starts with a number keeps its "%3" as typed in the message.
    fails("opcoes: SegTem '9e9 %3'", u"UPDATE opcoes SET SegTem = '9e9 %3'"_s, 201,
          {u"a cada 9e9 %3 segundos (campo SegTem"_s, u"de 0 a 2147483 segundos"_s});
    // Beyond the timer as much as 1e308 seconds, though its text form reads as a word.
    fails("opcoes: SegTem infinite", u"UPDATE opcoes SET SegTem = 9e999"_s, 203,
          {u"pede um intervalo infinito entre as mensagens (campo SegTem"_s,
           u"de 0 a 2147483 segundos"_s});
    fails("opcoes: SegTem minus infinite", u"UPDATE opcoes SET SegTem = -9e999"_s, 203,
          {u"pede um intervalo infinito negativo entre as mensagens (campo SegTem"_s});
    fails("opcoes: an endless view",
          u"DROP TABLE opcoes; CREATE VIEW opcoes AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
          u"SELECT i + 1 FROM n) SELECT 1 AS IniCom, 15 AS SegTem, 1 AS ComTem FROM n"_s,
          111, {u"Não foi possível ler"_s, u"a leitura levou mais de 3 segundos"_s});
    fails("opcoes: ComTem a word", u"UPDATE opcoes SET ComTem = 'talvez'"_s, 204,
          {u"diz \"talvez\" no campo ComTem da tabela opcoes"_s});
    // A word is 0 seconds to the timer, which then never fires.
    works("opcoes: SegTem a word", u"UPDATE opcoes SET SegTem = 'abc'"_s);
    works("opcoes: IniCom null", u"UPDATE opcoes SET IniCom = NULL"_s);
    works("opcoes: ComTem null", u"UPDATE opcoes SET ComTem = NULL"_s);
    options("opcoes: read-only", Damage::ReadOnly, {}, Outcome::OkCannotWrite, 0,
            {u"o arquivo só pode ser lido"_s});
    const auto cannotWrite = [&](const char* name, const QString& sql, const QStringList& texts) {
        options(name, Damage::Sql, sql, Outcome::OkCannotWrite, 0, texts);
    };
    cannotWrite("opcoes: a view",
                u"ALTER TABLE opcoes RENAME TO t; CREATE VIEW opcoes AS SELECT * FROM t"_s,
                {u"é uma visão (VIEW): os registros dela podem ser lidos, mas não alterados"_s});
    cannotWrite("opcoes: a CHECK rule",
                u"CREATE TABLE t (IniCom SMALLINT CHECK (IniCom <> 2), SegTem DOUBLE, ComTem "
                u"BOOLEAN); INSERT INTO t SELECT * FROM opcoes; DROP TABLE opcoes; "
                u"ALTER TABLE t RENAME TO opcoes"_s,
                {u"uma regra da tabela (CHECK IniCom <> 2) não aceita os valores novos"_s});
    // A further row, which the program never reads, may hold the values it writes.
    cannotWrite("opcoes: a UNIQUE rule",
                u"CREATE UNIQUE INDEX unico ON opcoes (IniCom); INSERT INTO opcoes VALUES "
                u"(2, 15, 1)"_s,
                {u"o valor de opcoes.IniCom já existe em outro registro"_s});
    cannotWrite("opcoes: a trigger refusing",
                u"CREATE TRIGGER recusa BEFORE UPDATE ON opcoes BEGIN "
                u"SELECT RAISE(ABORT, 'opções travadas'); END"_s,
                {u"um gatilho (TRIGGER) do arquivo recusou a gravação, dizendo \"opções "
                 u"travadas\""_s});
    options("opcoes: exclusive lock of another program", Damage::ExclusiveLock, {},
            Outcome::FailsAtStart, 103,
            {u"bloqueado por outro programa, que não o liberou em 2 segundos"_s});
    options("opcoes: write lock of another program", Damage::ReservedLock, {},
            Outcome::OkCannotWrite, 0, {u"bloqueado por outro programa"_s});
}

void TestDamagedFiles::startUp() {
    QFETCH(QString, file);
    QFETCH(Damage, damage);
    QFETCH(QString, sql);
    QFETCH(QString, iniCom);
    QFETCH(Outcome, outcome);
    QFETCH(int, number);
    QFETCH(QStringList, texts);
    const bool permissions = damage == Damage::Unreadable || damage == Damage::ReadOnly;
    if (permissions && geteuid() == 0)
        QSKIP("root reads and writes any file whatever its permissions");

    ProgramFiles files;
    files.iniCom = iniCom;
    ProgramOnDisk program(files);
    ProgramRun& run = program.run;
    const QString directory = program.directory.path();
    const QString path = program.directory.file(file);
    damageFile(path, damage, sql);
    if (QTest::currentTestFailed())
        return;
    const std::unique_ptr<LockInOtherProcess> lock = lockFor(path, damage);
    const QStringList before = directoryState(directory);

    const bool started = run.start();
    QCOMPARE(started, outcome != Outcome::FailsAtStart);
    if (!started) {
        // The main window was loaded at most, never shown.
        expectRuntimeError(run, number, path, texts);
    } else if (outcome == Outcome::FailsOnSwitch) {
        switchCollection(run.main());
        expectRuntimeError(run, number, path, texts);
        QVERIFY(!run.main().isVisible());
    } else if (outcome == Outcome::OkCannotWrite) {
        auto* window = &run.open<windows::FrmOpçoes>(u"cmdOpcoes");
        // A choice that changes the row: SQLite leaves a page alone, journal and all, when a
        // write would not change it.
        window->option(u"Option2").click();
        window->button(u"cmdOKop").click();
        QCOMPARE(run.services.boxes.size(), std::size_t{1});
        const RecordingServices::Box& box = run.services.boxes.front();
        QCOMPARE(box.title, u"Opções"_s);
        QCOMPARE(box.style, toolkit::vbExclamation);
        for (const QString& text : QStringList{path} + texts)
            QVERIFY2(box.prompt.contains(text), qPrintable(box.prompt));
        QVERIFY(!run.program.ended());
        QCOMPARE(run.program.loadedForm<windows::FrmOpçoes>(), window);
    } else {
        frmPrincipal& window = run.main();
        QVERIFY(window.isVisible());
        const bool second = window.option(u"OptTarvenas").Value();
        QCOMPARE(window.textBox(u"TxtTexto").Text(), firstMessage(directory, second));
        switchCollection(window);
        QCOMPARE(window.textBox(u"TxtTexto").Text(), firstMessage(directory, !second));
        QVERIFY(run.services.boxes.empty());
        QVERIFY(!run.program.ended());
    }
    QCOMPARE(directoryState(directory), before);
}

QTEST_MAIN(TestDamagedFiles)
#include "test_damaged_files.moc"
