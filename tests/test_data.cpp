#include "data/collection_index.h"
#include "data/collection_loader.h"
#include "data/collections.h"
#include "data/options.h"
#include "data/search.h"
#include "platform/core/runtime_error.h"
#include "support/raised_error.h"
#include "support/scratch_database.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>
#include <clocale>
#include <functional>

using namespace Qt::StringLiterals;
using core::ErrorCode;

namespace {

// A collection of `count` rows numbered 1..count, texts "mensagem N".
void makeNumberedCollection(const QString& path, const QString& table, int count) {
    runSql(path, u"CREATE TABLE %1 (Numero SMALLINT, mensagem TEXT);"
                 "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %2) "
                 "INSERT INTO %1 SELECT x, 'mensagem ' || x FROM n;"_s.arg(table)
                     .arg(count));
}

std::shared_ptr<db::Recordset> openCollection(const QString& directory,
                                              const data::CollectionSource& source) {
    const auto database =
        db::DBEngine().Workspaces(0).OpenDatabase(data::collectionPath(directory, source));
    return data::openRows(*database, source);
}

} // namespace

class TestData : public QObject {
    Q_OBJECT

private slots:
    // The indexes prove a collection sound only where the full check accepts it.
    void indexesProveSoundness_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("proven");
        QTest::addColumn<bool>("accepted"); // by the full check
        QTest::newRow("sound") << u""_s << true << true;
        QTest::newRow("no indexes") << u"DROP INDEX T_falhas"_s << false << true;
        QTest::newRow("an index of another rule")
            << u"DROP INDEX T_falhas; CREATE INDEX T_falhas ON T (Numero) WHERE Numero < 0"_s
            << false << true;
        QTest::newRow("a number as text")
            << u"UPDATE T SET Numero = 'x' WHERE Numero = 3"_s << false << false;
        QTest::newRow("a fraction")
            << u"UPDATE T SET Numero = 2.5 WHERE Numero = 2"_s << false << false;
        QTest::newRow("binary text")
            << u"UPDATE T SET mensagem = x'00' WHERE Numero = 2"_s << false << false;
        QTest::newRow("a gap") << u"DELETE FROM T WHERE Numero = 3"_s << false << false;
        QTest::newRow("starts at 0")
            << u"UPDATE T SET Numero = 0 WHERE Numero = 5"_s << false << false;
    }

    void indexesProveSoundness() {
        QFETCH(QString, change);
        QFETCH(bool, proven);
        QFETCH(bool, accepted);
        ScratchDirectory directory;
        const QString path = directory.file(u"c.mdb"_s);
        makeNumberedCollection(path, u"T"_s, 5);
        runSql(path, data::collectionIndexStatements(u"T"_s).join(u';') + u';' + change);
        const auto connection = db::sqlite::Connection::open(path, db::sqlite::Access::ReadOnly);
        QCOMPARE(data::provenCount(*connection, u"T"_s).has_value(), proven);
        if (proven)
            QCOMPARE(data::provenMessage(*connection, u"T"_s, 4), u"mensagem 4"_s);
        const data::CollectionSource source{u"/c.mdb", u"T", u"Select * From T Order By Numero",
                                            u"T", u""};
        const auto rows = openCollection(directory.path(), source);
        QCOMPARE(errorOf([&] { data::countCollection(*rows, source); }) == ErrorCode{}, accepted);
    }

    void collectionSizes_data() {
        QTest::addColumn<int>("rows");
        QTest::newRow("one row") << 1;
        QTest::newRow("largest") << 32767;
    }

    void collectionSizes() {
        QFETCH(int, rows);
        ScratchDirectory directory;
        makeNumberedCollection(directory.file(u"quelmar.mdb"_s), u"QuelmarOrivela"_s, rows);
        const auto collection = openCollection(directory.path(), data::quelmarCollection);
        QCOMPARE(data::countCollection(*collection, data::quelmarCollection), std::int16_t(rows));
        QCOMPARE(collection->AbsolutePosition(), 0); // counting leaves the first row current
        data::lookUpMessage(*collection, std::int16_t(rows));
        QCOMPARE(data::currentMessageText(*collection), u"mensagem %1"_s.arg(rows));
        QCOMPARE(data::currentNumberText(*collection), QString::number(rows));
        QCOMPARE(data::currentNumber(*collection), std::int16_t(rows));
    }

    // What a collection must be for the program to show it, judged as its rows are opened and
    // counted: the error's number, and the file, the table and the fault named. An accepted one
    // shows its first message as the file stores it.
    void collectionRules_data() {
        QTest::addColumn<QString>("sql"); // %1 stands for the table
        QTest::addColumn<int>("number");  // 0: accepted
        QTest::addColumn<QString>("words");
        const QString lastNumber = u"(SELECT max(Numero) FROM %1)"_s;
        const QString upTo = u"WITH RECURSIVE n(i) AS (SELECT %2 + 1 UNION ALL SELECT i + 1 FROM n "
                             u"WHERE i < %3) INSERT INTO %1 SELECT i, 'X' || i FROM n"_s;
        QTest::newRow("table missing")
            << u"ALTER TABLE %1 RENAME TO Outra"_s << 105 << u"não existe"_s;
        QTest::newRow("Numero missing")
            << u"ALTER TABLE %1 RENAME COLUMN Numero TO Num"_s << 106 << u"\"Numero\""_s;
        QTest::newRow("mensagem missing")
            << u"ALTER TABLE %1 RENAME COLUMN mensagem TO texto"_s << 106 << u"\"mensagem\""_s;
        QTest::newRow("Numero holding words")
            << u"UPDATE %1 SET Numero = 'quatro' WHERE Numero = 4"_s << 113 << u"\"quatro\""_s;
        QTest::newRow("Numero holding 2.5")
            << u"UPDATE %1 SET Numero = 2.5 WHERE Numero = 2"_s << 113 << u"2.5"_s;
        QTest::newRow("mensagem holding a blob")
            << u"UPDATE %1 SET mensagem = x'00FF7F' WHERE Numero = 2"_s << 113
            << u"dados binários"_s;
        QTest::newRow("empty table") << u"DELETE FROM %1"_s << 107 << u"vazia"_s;
        QTest::newRow("null Numero")
            << u"UPDATE %1 SET Numero = NULL WHERE Numero = 3"_s << 113 << u"Numero é nulo"_s;
        QTest::newRow("null mensagem")
            << u"UPDATE %1 SET mensagem = NULL WHERE Numero = 2"_s << 113 << u"mensagem é nulo"_s;
        // The rule names the count the numbers must run up to.
        QTest::newRow("duplicate number") << u"UPDATE %1 SET Numero = 2 WHERE Numero = 3"_s << 113
                                          << u"o número 2 se repete; numa coleção de 7 mensagens"_s;
        QTest::newRow("gap") << u"DELETE FROM %1 WHERE Numero = 2"_s << 113
                             << u"falta a mensagem de número 2; numa coleção de 6 mensagens"_s;
        QTest::newRow("number 40000")
            << u"UPDATE %1 SET Numero = 40000 WHERE Numero = "_s + lastNumber << 113
            << u"40000 está fora da faixa"_s;
        QTest::newRow("number -40000") << u"UPDATE %1 SET Numero = -40000 WHERE Numero = 1"_s << 113
                                       << u"-40000 está fora da faixa"_s;
        QTest::newRow("one message numbered 3")
            << u"DELETE FROM %1 WHERE Numero <> 3"_s << 113 << u"precisa ter o número 1"_s;
        QTest::newRow("32768 messages")
            << upTo.arg(u"%1"_s, lastNumber, u"32768"_s) << 201 << u"32768 mensagens"_s;
        QTest::newRow("an endless view")
            << u"DROP TABLE %1; CREATE VIEW %1 AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
               u"SELECT i + 1 FROM n) SELECT i AS Numero, 'X' || i AS mensagem FROM n"_s
            << 113 << u"mais de 3 segundos e foi interrompida (o arquivo tem "_s;
        // Without a declared type a whole number stored as a real stays one; it counts as whole.
        QTest::newRow("Numero holding whole reals")
            << u"CREATE TABLE n AS SELECT Numero * 1.0 AS Numero, mensagem FROM %1; DROP TABLE %1; "
               u"CREATE TABLE %1 (Numero, mensagem TEXT); INSERT INTO %1 SELECT * FROM n; "
               u"DROP TABLE n"_s
            << 0 << QString();
        // Without a declared type the numbers stay numbers; they are shown as text.
        QTest::newRow("mensagem holding numbers")
            << u"CREATE TABLE n AS SELECT Numero, Numero * 11 AS mensagem FROM %1; DROP TABLE %1; "
               u"CREATE TABLE %1 (Numero SMALLINT, mensagem); INSERT INTO %1 SELECT * FROM n; "
               u"DROP TABLE n"_s
            << 0 << QString();
    }

    void collectionRules() {
        QFETCH(QString, sql);
        QFETCH(int, number);
        QFETCH(QString, words);
        ScratchDirectory directory;
        const QString path = directory.file(u"quelmar.mdb"_s);
        makeCollection(path, u"QuelmarOrivela"_s,
                       {u"Q1"_s, u"Q2"_s, u"Q3"_s, u"Q4"_s, u"Q5"_s, u"Q6"_s, u"Q7"_s});
        runSql(path, sql.arg(u"QuelmarOrivela"_s));
        std::shared_ptr<db::Recordset> rows;
        const auto error = raisedBy([&] {
            rows = openCollection(directory.path(), data::quelmarCollection);
            data::countCollection(*rows, data::quelmarCollection);
        });
        QCOMPARE(error ? error->number() : 0, number);
        if (error) {
            for (const QString& named : {path, u"QuelmarOrivela"_s, words})
                QVERIFY2(error->description().contains(named), qPrintable(error->description()));
            return;
        }
        QCOMPARE(data::currentMessageText(*rows),
                 queryText(path, u"SELECT mensagem FROM QuelmarOrivela WHERE Numero = 1"_s));
    }

    void numberCriterion_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("criterion");
        QTest::newRow("positive") << 12 << u"Numero = 12"_s;
        QTest::newRow("negative") << -5 << u"Numero = -5"_s;
        QTest::newRow("largest") << 32767 << u"Numero = 32767"_s;
    }

    void numberCriterion() {
        QFETCH(int, number);
        QFETCH(QString, criterion);
        QCOMPARE(data::numberCriterion(std::int16_t(number)), criterion);
    }

    // The Find window's and the command line's criteria.
    void searchCriteria_data() {
        QTest::addColumn<bool>("keyword");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("criterion");

        QTest::newRow("word") << true << u"amor"_s << u"Mensagem Like \"* amor *\""_s;
        QTest::newRow("phrase keeps its blanks")
            << true << u"e  bem"_s << u"Mensagem Like \"* e  bem *\""_s;
        QTest::newRow("quotes doubled")
            << true << u"ele \"sim\""_s << u"Mensagem Like \"* ele \"\"sim\"\" *\""_s;
        QTest::newRow("pattern characters kept")
            << true << u"a*r?[x]#"_s << u"Mensagem Like \"* a*r?[x]# *\""_s;
        QTest::newRow("number") << false << u"12"_s << u"Numero = 12"_s;
        QTest::newRow("blanks and zeros") << false << u"  012 "_s << u"Numero = 12"_s;
        QTest::newRow("negative") << false << u"-3"_s << u"Numero = -3"_s;
        QTest::newRow("fraction with a point") << false << u"1.5"_s << u"Numero = 1.5"_s;
        QTest::newRow("plus sign") << false << u"+4"_s << u"Numero = 4"_s;
        QTest::newRow("whole with a point") << false << u"4.0"_s << u"Numero = 4"_s;
        QTest::newRow("exponent") << false << u"4e2"_s << u"Numero = 400"_s;
        QTest::newRow("fraction with an exponent") << false << u".4e1"_s << u"Numero = 4"_s;
        QTest::newRow("huge") << false << u"1e20"_s << u"Numero = 1E+20"_s;
    }

    void searchCriteria() {
        QFETCH(bool, keyword);
        QFETCH(QString, typed);
        QFETCH(QString, criterion);
        QCOMPARE(keyword ? data::keywordCriterion(typed) : data::typedNumberCriterion(typed),
                 criterion);
    }

    void collectionsAreIndependent() {
        ScratchDirectory directory;
        makeNumberedCollection(directory.file(u"quelmar.mdb"_s), u"QuelmarOrivela"_s, 3);
        makeCollection(directory.file(u"tarvenas.mdb"_s), u"Tarvenas_tab"_s,
                       {u"primeira"_s, u"segunda"_s, u"terceira"_s, u"quarta"_s, u"quinta"_s});
        const auto quelmar = openCollection(directory.path(), data::quelmarCollection);
        const auto tarvenas = openCollection(directory.path(), data::tarvenasCollection);
        QCOMPARE(data::countCollection(*quelmar, data::quelmarCollection), std::int16_t(3));
        data::lookUpMessage(*quelmar, 2);
        QCOMPARE(data::countCollection(*tarvenas, data::tarvenasCollection), std::int16_t(5));
        data::lookUpMessage(*tarvenas, 5);
        QCOMPARE(data::currentMessageText(*tarvenas), u"quinta"_s);
        QCOMPARE(data::currentMessageText(*quelmar), u"mensagem 2"_s); // kept its position
    }

    void nullFieldsAreErrors() {
        ScratchDirectory directory;
        runSql(directory.file(u"quelmar.mdb"_s),
               u"CREATE TABLE QuelmarOrivela (Numero SMALLINT, mensagem TEXT);"
               "INSERT INTO QuelmarOrivela VALUES (1, NULL), (NULL, 'sem número');"_s);
        const auto collection = openCollection(directory.path(), data::quelmarCollection);
        collection->MoveLast(); // nulls sort first: the row without a number is the first
        QCOMPARE(errorOf([&] { data::currentMessageText(*collection); }),
                 ErrorCode::InvalidUseOfNull);
        collection->MoveFirst();
        QCOMPARE(errorOf([&] { data::currentNumber(*collection); }), ErrorCode::InvalidUseOfNull);
    }

    void startCollection_data() {
        QTest::addColumn<QString>("iniCom");
        QTest::addColumn<bool>("first");
        QTest::newRow("1") << u"1"_s << true;
        QTest::newRow("2") << u"2"_s << false;
        QTest::newRow("0") << u"0"_s << false;
        QTest::newRow("7") << u"7"_s << false;
        QTest::newRow("null") << u"NULL"_s << false;
        QTest::newRow("1.0") << u"1.0"_s << true;
    }

    void startCollection() {
        QFETCH(QString, iniCom);
        QFETCH(bool, first);
        ScratchDirectory directory;
        makeOptions(data::optionsPath(directory.path()), iniCom, u"15"_s, u"1"_s);
        const auto options = data::openOptions(db::DBEngine(), directory.path());
        options.record->MoveFirst();
        QCOMPARE(data::startsWithFirstCollection(*options.record), first);
    }

    void timerSettings_data() {
        QTest::addColumn<QString>("segTem");
        QTest::addColumn<QString>("comTem");
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("seconds");
        QTest::newRow("15, on") << u"15"_s << u"1"_s << 15000 << true << 15;
        QTest::newRow("0, on") << u"0"_s << u"1"_s << 0 << true << 0;
        QTest::newRow("30, off") << u"30"_s << u"0"_s << 30000 << false << 30;
        QTest::newRow("15.5 in any locale") << u"15.5"_s << u"1"_s << 15500 << true << 16;
        QTest::newRow("14.5 rounds to even") << u"14.5"_s << u"1"_s << 14500 << true << 14;
        QTest::newRow("half millisecond to even") << u"0.0025"_s << u"1"_s << 2 << true << 0;
        QTest::newRow("on is null") << u"15"_s << u"NULL"_s << 15000 << false << 15;
        // The leading-number parse finds no number: the timer never fires.
        QTest::newRow("a word") << u"'abc'"_s << u"1"_s << 0 << true << 0;
    }

    void timerSettings() {
        QFETCH(QString, segTem);
        QFETCH(QString, comTem);
        QFETCH(int, period);
        QFETCH(bool, on);
        QFETCH(int, seconds);
        ScratchDirectory directory;
        makeOptions(data::optionsPath(directory.path()), u"1"_s, segTem, comTem);
        const auto options = data::openOptions(db::DBEngine(), directory.path());
        QCOMPARE(data::timerPeriodMilliseconds(*options.record), period);
        QCOMPARE(data::timerOn(*options.record), on);
        QCOMPARE(data::wholeSeconds(*options.record), seconds);
    }

    // Each names the file, the field and what it holds.
    void badSeconds_data() {
        QTest::addColumn<QString>("segTem");
        QTest::addColumn<ErrorCode>("error");
        QTest::addColumn<QString>("words");
        QTest::newRow("null") << u"NULL"_s << ErrorCode::InvalidUseOfNull << u"nulo"_s;
        QTest::newRow("negative") << u"-2"_s << ErrorCode::InvalidPropertyValue << u"a cada -2"_s;
        QTest::newRow("beyond 32 bits of ms")
            << u"2147484"_s << ErrorCode::Overflow << u"a cada 2147484"_s;
        // A text that only starts with a number keeps its "%3" as typed in the message.
        QTest::newRow("a text beyond")
            << u"'9e9 %3'"_s << ErrorCode::Overflow << u"a cada 9e9 %3"_s;
        QTest::newRow("beyond a double times 1000")
            << u"1e306"_s << ErrorCode::FloatingPoint << u"a cada 1E+306"_s;
        // Beyond the timer as much as 1e308 seconds, though its text form reads as a word.
        QTest::newRow("infinite") << u"9e999"_s << ErrorCode::FloatingPoint
                                  << u"intervalo infinito entre"_s;
        QTest::newRow("minus infinite")
            << u"-9e999"_s << ErrorCode::FloatingPoint << u"intervalo infinito negativo"_s;
    }

    void badSeconds() {
        QFETCH(QString, segTem);
        QFETCH(ErrorCode, error);
        QFETCH(QString, words);
        ScratchDirectory directory;
        const QString path = data::optionsPath(directory.path());
        makeOptions(path, u"1"_s, segTem, u"1"_s);
        const auto options = data::openOptions(db::DBEngine(), directory.path());
        const auto raised = raisedBy([&] { data::timerPeriodMilliseconds(*options.record); });
        QVERIFY(raised);
        QCOMPARE(raised->code(), error);
        for (const QString& named : {u"\"%1\""_s.arg(path), u"SegTem"_s, words})
            QVERIFY2(raised->description().contains(named), qPrintable(raised->description()));
    }

    void secondsTextIgnoresTheLocale() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        std::setlocale(LC_NUMERIC, "pt_BR.UTF-8"); // where available; harmless where not
        ScratchDirectory directory;
        makeOptions(data::optionsPath(directory.path()), u"1"_s, u"15.5"_s, u"1"_s);
        const auto options = data::openOptions(db::DBEngine(), directory.path());
        const QString text = data::secondsText(*options.record);
        const int period = data::timerPeriodMilliseconds(*options.record);
        QLocale::setDefault(saved);
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(text, u"15.5"_s);
        QCOMPARE(period, 15500);
    }

    // Start-up takes the collections from the worker step by step: open the first, open the
    // second, read the first, read the second. Each fault is raised by its own step, whenever the
    // worker met it, so faults come in the order they came when start-up read them itself.
    void loaderRaisesEachFaultAtItsStep_data() {
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("firstSql");
        QTest::addColumn<QString>("secondSql");
        QTest::addColumn<int>("failingStep"); // 0: none
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("named");
        const QString noTable = u"ALTER TABLE %1 RENAME TO Outra"_s;
        const QString noNumber = u"ALTER TABLE %1 RENAME COLUMN Numero TO Num"_s;
        QTest::newRow("sound") << QString() << QString() << QString() << 0 << 0 << QString();
        QTest::newRow("first missing")
            << u"quelmar.mdb"_s << QString() << QString() << 1 << 101 << u"quelmar.mdb"_s;
        QTest::newRow("both missing") << u"quelmar.mdb tarvenas.mdb"_s << QString() << QString()
                                      << 1 << 101 << u"quelmar.mdb"_s;
        QTest::newRow("second missing, first without its table")
            << u"tarvenas.mdb"_s << noTable << QString() << 2 << 101 << u"tarvenas.mdb"_s;
        QTest::newRow("first without its table")
            << QString() << noTable << noNumber << 3 << 105 << u"QuelmarOrivela"_s;
        QTest::newRow("second without Numero")
            << QString() << QString() << noNumber << 4 << 106 << u"tarvenas.mdb"_s;
    }

    void loaderRaisesEachFaultAtItsStep() {
        QFETCH(QString, removed);
        QFETCH(QString, firstSql);
        QFETCH(QString, secondSql);
        QFETCH(int, failingStep);
        QFETCH(int, number);
        QFETCH(QString, named);
        ScratchDirectory directory;
        const QString first = data::collectionPath(directory.path(), data::quelmarCollection);
        const QString second = data::collectionPath(directory.path(), data::tarvenasCollection);
        makeCollection(first, u"QuelmarOrivela"_s, {u"Q1"_s, u"Q2"_s});
        makeCollection(second, u"Tarvenas_tab"_s, {u"T1"_s});
        if (!firstSql.isEmpty())
            runSql(first, firstSql.arg(u"QuelmarOrivela"_s));
        if (!secondSql.isEmpty())
            runSql(second, secondSql.arg(u"Tarvenas_tab"_s));
        for (const QString& file : removed.split(u' ', Qt::SkipEmptyParts))
            QVERIFY(QFile::remove(directory.file(file)));

        data::CollectionLoader collections(directory.path());
        const std::vector<std::function<void()>> steps{
            [&] { collections.database(data::quelmarCollection); },
            [&] { collections.database(data::tarvenasCollection); },
            [&] { collections.rows(data::quelmarCollection); },
            [&] { collections.rows(data::tarvenasCollection); }};
        for (int step = 1; step <= int(steps.size()); ++step) {
            const std::optional<core::RuntimeError> error = raisedBy(steps[step - 1]);
            QCOMPARE(error.has_value(), step == failingStep);
            if (error) {
                QCOMPARE(error->number(), number);
                QVERIFY2(error->description().contains(named), qPrintable(error->description()));
                return;
            }
        }
        QCOMPARE(data::currentMessageText(*collections.rows(data::tarvenasCollection)), u"T1"_s);
    }

    void ownCollectionFaults_data() {
        // The user's own file in place of the installed one; none: the installed one at fault.
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("sql"); // run on it; none: it holds bytes of no database
        QTest::addColumn<int>("number");
        QTest::newRow("own first not a database") << u"/quelmar.mdb"_s << QString() << 102;
        QTest::newRow("own second without Numero")
            << u"/tarvenas.mdb"_s << u"CREATE TABLE Tarvenas_tab (mensagem TEXT)"_s << 106;
        QTest::newRow("installed first empty, no own file")
            << QString() << u"DELETE FROM QuelmarOrivela"_s << 107;
    }

    // Each fault names the file read, at the step it always came; only the user's own file
    // points back to the installed one.
    void ownCollectionFaults() {
        QFETCH(QString, own);
        QFETCH(QString, sql);
        QFETCH(int, number);
        ScratchDirectory directory;
        makeCollection(directory.file(u"quelmar.mdb"_s), u"QuelmarOrivela"_s, {u"Q1"_s});
        makeCollection(directory.file(u"tarvenas.mdb"_s), u"Tarvenas_tab"_s, {u"T1"_s});
        const OwnDataHome home;
        const QString faulty = own.isEmpty() ? directory.file(u"quelmar.mdb"_s) : home.own(own);
        makeOwnFile(faulty, sql.isEmpty() ? randomBytes(4096) : contentOf(faulty));
        if (!sql.isEmpty())
            runSql(faulty, sql);
        const auto error = raisedBy([&] {
            data::CollectionLoader collections(directory.path());
            for (const data::CollectionSource* source :
                 {&data::quelmarCollection, &data::tarvenasCollection})
                data::countCollection(*collections.rows(*source), *source);
        });
        QCOMPARE(error ? error->number() : 0, number);
        QVERIFY2(error->description().contains(u'"' + faulty + u'"'),
                 qPrintable(error->description()));
        QCOMPARE(error->description().contains(u"quelmar-colecoes restaurar "_s +
                                               QFileInfo(faulty).baseName()),
                 !own.isEmpty());
    }

    void missingOptionsFileIsReportedNotCreated() {
        ScratchDirectory directory;
        const QString path = data::optionsPath(directory.path());
        try {
            data::openOptions(db::DBEngine(), directory.path());
            QFAIL("no error raised");
        } catch (const core::RuntimeError& error) {
            QCOMPARE(error.code(), ErrorCode::FileNotFound);
            QVERIFY(error.description().contains(path));
        }
        QVERIFY(!QFileInfo::exists(path));
    }

    void emptyOptionsTableHasNoCurrentRecord() {
        ScratchDirectory directory;
        runSql(data::optionsPath(directory.path()),
               u"CREATE TABLE opcoes (IniCom SMALLINT, SegTem DOUBLE, ComTem BOOLEAN);"_s);
        const auto options = data::openOptions(db::DBEngine(), directory.path());
        QCOMPARE(errorOf([&] { options.record->MoveFirst(); }), ErrorCode::NoCurrentRecord);
        QVERIFY(descriptionOf([&] { options.record->MoveFirst(); })
                    .contains(u"A tabela \"opcoes\" de \"%1\" não tem nenhum registro"_s.arg(
                        data::optionsPath(directory.path()))));
    }

    void randomPickCoversTheCollection_data() {
        QTest::addColumn<int>("total");
        QTest::addColumn<float>("r");
        QTest::addColumn<int>("expected");
        const float belowOne = 1.0f - 1.0f / 16777216.0f;
        QTest::newRow("r 0") << 7 << 0.0f << 1;
        QTest::newRow("r just below 1") << 7 << belowOne << 7;
        QTest::newRow("largest collection, r just below 1") << 32767 << belowOne << 32767;
        QTest::newRow("exact boundary") << 4 << 0.75f << 4;
        QTest::newRow("just under the boundary") << 4 << 0.7499999f << 3;
        QTest::newRow("one message") << 1 << 0.9f << 1;
    }

    void randomPickCoversTheCollection() {
        QFETCH(int, total);
        QFETCH(float, r);
        QFETCH(int, expected);
        QCOMPARE(data::randomMessageNumber(static_cast<std::int16_t>(total), r), expected);
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "test_data.moc"
