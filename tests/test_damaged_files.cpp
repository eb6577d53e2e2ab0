// The program started on damaged program directories. Each row damages one file and says what
// the user must get: the error box with its number and words naming the file and the fault, at
// start-up or when the damaged collection becomes current; a failed-write box from the Options
// window; or a normal start. Whatever happens, no file in the directory changes, appears or
// disappears.

#include "support/damaged_file.h"
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

// When the damage shows.
enum class Outcome {
    Works,         // starts, and switching to the other collection works too
    FailsAtStart,  // the error box instead of the main window
    FailsOnSwitch, // starts; the error box when the other collection becomes current
    OkCannotWrite, // starts; "Ok" in the Options window tells why nothing was stored
};

} // namespace

Q_DECLARE_METATYPE(Outcome)

namespace {

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

// The box of a run-time error with its number, naming the file and the fault; the program ended
// with status 1. How such a box reads and what goes to standard error is the toolkit's test.
void expectRuntimeError(ProgramRun& run, int number, const QString& path,
                        const QStringList& texts) {
    QCOMPARE(run.services.boxes.size(), std::size_t{1});
    const RecordingServices::Box& box = run.services.boxes.front();
    QCOMPARE(box.style, toolkit::vbCritical);
    QVERIFY2(box.prompt.contains(u"'%1'"_s.arg(number)), qPrintable(box.prompt));
    for (const QString& text : QStringList{path} + texts)
        QVERIFY2(box.prompt.contains(text),
                 qPrintable(u"«%1» não diz «%2»"_s.arg(box.prompt, text)));
    QVERIFY(run.program.ended());
    QCOMPARE(run.program.exitStatus(), 1);
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
        // What keeps a file from being a database is the database layer's own test; here one
        // row for each error number, for each file.
        row("missing", Damage::Missing, 101, {u"não foi encontrado"_s});
        row("random bytes", Damage::RandomBytes, 102, {u"não é um banco de dados"_s});
        row("first half", Damage::FirstHalf, 104, {u"danificado"_s});
        row("unreadable", Damage::Unreadable, 111, {u"permissão para ler"_s});
    }

    // What a collection must be is the collection rules' own test; here one row for each error
    // number they give, and when each collection is judged: the start-up one at start-up, the
    // other one when it becomes current; a table that is not there stops the rows being read at
    // all, at start-up.
    const auto collection = [&](const char* name, const QString& sql, const QString& iniCom,
                                Outcome outcome, int number, const QStringList& texts) {
        const bool second = QByteArray(name).startsWith("tarvenas");
        const QString table = second ? u"Tarvenas_tab"_s : u"QuelmarOrivela"_s;
        QTest::newRow(name) << (second ? u"tarvenas.mdb"_s : u"quelmar.mdb"_s) << Damage::Sql
                            << sql.arg(table) << iniCom << outcome << number
                            << texts + QStringList{table};
    };
    collection("quelmar.mdb: table missing", u"ALTER TABLE %1 RENAME TO Outra"_s, u"1"_s,
               Outcome::FailsAtStart, 105, {u"não existe"_s});
    collection("tarvenas.mdb: table missing", u"ALTER TABLE %1 RENAME TO Outra"_s, u"1"_s,
               Outcome::FailsAtStart, 105, {u"não existe"_s});
    collection("quelmar.mdb: Numero missing", u"ALTER TABLE %1 RENAME COLUMN Numero TO Num"_s,
               u"1"_s, Outcome::FailsAtStart, 106, {u"\"Numero\""_s});
    collection("quelmar.mdb: empty table", u"DELETE FROM %1"_s, u"1"_s, Outcome::FailsAtStart, 107,
               {u"vazia"_s});
    collection("quelmar.mdb: gap", u"DELETE FROM %1 WHERE Numero = 2"_s, u"1"_s,
               Outcome::FailsAtStart, 113, {u"falta a mensagem de número 2"_s});
    collection("tarvenas.mdb: gap", u"DELETE FROM %1 WHERE Numero = 2"_s, u"1"_s,
               Outcome::FailsOnSwitch, 113, {u"falta a mensagem de número 2"_s});
    collection("tarvenas.mdb: gap, current at start-up", u"DELETE FROM %1 WHERE Numero = 2"_s,
               u"2"_s, Outcome::FailsAtStart, 113, {u"falta a mensagem de número 2"_s});

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
    // How each options value is read is the options' own test; here one row for each error
    // number.
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
    // Beyond the timer as much as 1e308 seconds, though its text form reads as a word.
    fails("opcoes: SegTem infinite", u"UPDATE opcoes SET SegTem = 9e999"_s, 203,
          {u"pede um intervalo infinito entre as mensagens (campo SegTem"_s,
           u"de 0 a 2147483 segundos"_s});
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
    // Why a write is refused is the database layer's test (a view, a CHECK or UNIQUE rule, a
    // trigger); here the file's permissions and another program's lock.
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
