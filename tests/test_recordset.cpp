#include "platform/core/runtime_error.h"
#include "platform/database/engine.h"
#include "support/damaged_file.h"
#include "support/raised_error.h"
#include "support/scratch_database.h"

#include <QFile>
#include <QTest>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;
using core::ErrorCode;

namespace {

std::shared_ptr<db::Recordset> openSelect(const QString& path, const QString& sql,
                                          db::TextFolding folding = db::TextFolding::WhileReading) {
    return db::DBEngine().Workspaces(0).OpenDatabase(path)->OpenRecordset(sql, folding);
}

int numberAtCurrentRow(db::Recordset& rows) {
    return static_cast<int>(rows.Fields(u"numero").Value().integer());
}

} // namespace

class TestRecordset : public QObject {
    Q_OBJECT

    ScratchDirectory m_scratch;
    QString m_path;

private slots:
    void initTestCase() {
        m_path = m_scratch.file(u"mensagens.db"_s);
        // Numbers stored out of order, with a repeated 4, so the Select's order matters.
        runSql(m_path,
               u"CREATE TABLE Frases (Numero SMALLINT, mensagem TEXT, Nota DOUBLE);"
               "INSERT INTO Frases VALUES (3, 'O amor fica', 1.5), (1, 'Só o tempo', NULL),"
               "(4, 'Um amor de mãe', 2), (2, 'Coração leve', 0), (4, 'Outro amor aqui', 3),"
               "(5, 'Fim', 5);"_s);
    }

    void findFirstAndNext_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<QList<int>>("numbers"); // FindFirst, then FindNext until no match
        const QString ordered = u"Select * From Frases Order By Numero"_s;
        const QString unordered = u"Select * From Frases"_s;
        QTest::newRow("by number, sorted") << ordered << u"Numero = 2"_s << QList<int>{2};
        QTest::newRow("repeated number, sorted") << ordered << u"Numero = 4"_s << QList<int>{4, 4};
        QTest::newRow("by number, unsorted") << unordered << u"Numero = 2"_s << QList<int>{2};
        QTest::newRow("repeated number, unsorted")
            << unordered << u"numero = 4"_s << QList<int>{4, 4};
        QTest::newRow("number nobody has") << ordered << u"Numero = 9"_s << QList<int>{};
        QTest::newRow("negative number") << ordered << u"Numero = -1"_s << QList<int>{};
        QTest::newRow("fraction") << ordered << u"Numero = 1.5"_s << QList<int>{};
        QTest::newRow("beyond any whole number") << ordered << u"Numero = 1e300"_s << QList<int>{};
        QTest::newRow("keyword in order")
            << ordered << u"Mensagem Like \"* amor *\""_s << QList<int>{3, 4, 4};
        QTest::newRow("keyword unsorted order")
            << unordered << u"Mensagem Like \"* amor*\""_s << QList<int>{3, 4, 4};
        QTest::newRow("accents and case")
            << ordered << u"MENSAGEM Like \"*coracao*\""_s << QList<int>{2};
        // Without the second 4 the numbers run 1..5: a number is found by its place.
        const QString numbered = u"Select * From Frases Where rowid <> 5 Order By Numero"_s;
        QTest::newRow("numbered, by place") << numbered << u"Numero = 4"_s << QList<int>{4};
        QTest::newRow("numbered, past the last") << numbered << u"Numero = 6"_s << QList<int>{};
        QTest::newRow("numbered, fraction") << numbered << u"Numero = 2.5"_s << QList<int>{};
    }

    void findFirstAndNext() {
        QFETCH(QString, source);
        QFETCH(QString, criterion);
        QFETCH(QList<int>, numbers);
        const auto rows = openSelect(m_path, source);
        QList<int> found;
        rows->FindFirst(criterion);
        while (!rows->NoMatch() && found.size() < 10) {
            found.append(numberAtCurrentRow(*rows));
            rows->FindNext(criterion);
        }
        QCOMPARE(found, numbers);
    }

    // Texts kept as read, read and found as texts folded while reading: before the fold (the first
    // find folds), while another thread folds, and after.
    void textsFoldedLater_data() {
        QTest::addColumn<QString>("whoFolds");
        QTest::newRow("the first find") << u"find"_s;
        QTest::newRow("another thread meanwhile") << u"thread"_s;
        QTest::newRow("a call before") << u"call"_s;
    }

    void textsFoldedLater() {
        QFETCH(QString, whoFolds);
        const auto rows =
            openSelect(m_path, u"Select * From Frases Order By Numero"_s, db::TextFolding::Later);
        std::thread folder;
        if (whoFolds == u"thread")
            folder = std::thread([&] { rows->FoldTexts(); });
        if (whoFolds == u"call")
            rows->FoldTexts();
        QCOMPARE(rows->TextBytesAt(1, 1), std::string("Coração leve"));
        rows->FindFirst(u"Mensagem Like \"*coracao*\""_s);
        if (folder.joinable())
            folder.join();
        QVERIFY(!rows->NoMatch());
        QCOMPARE(numberAtCurrentRow(*rows), 2);
        QCOMPARE(rows->Fields(u"mensagem").Value().text(), u"Coração leve"_s);
    }

    // Folded slice by slice, the room of the texts already folded given back: every text, the
    // last ones too, still reads and finds whole.
    void manyTextsFoldedLater() {
        const QString path = m_scratch.file(u"muitas.db"_s);
        runSql(path,
               u"CREATE TABLE T (Numero INTEGER, mensagem TEXT);"
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000)"
               " INSERT INTO T SELECT i, 'Mensagem ' || i || ' do coração' FROM n;"_s);
        const auto rows =
            openSelect(path, u"Select * From T Order By Numero"_s, db::TextFolding::Later);
        rows->FoldTexts();
        for (int row = 0; row < rows->RecordCount(); ++row)
            QCOMPARE(rows->TextBytesAt(row, 1),
                     "Mensagem " + std::to_string(row + 1) + " do coração");
        rows->FindFirst(u"Mensagem Like \"* 9000 do coracao\""_s);
        QCOMPARE(rows->AbsolutePosition(), 8999);
    }

    void missLeavesTheCurrentRow() {
        const auto rows = openSelect(m_path, u"Select * From Frases Order By Numero"_s);
        rows->FindFirst(u"Numero = 3"_s);
        QVERIFY(!rows->NoMatch());
        rows->FindFirst(u"Numero = 99"_s);
        QVERIFY(rows->NoMatch());
        QCOMPARE(numberAtCurrentRow(*rows), 3);
        rows->FindNext(u"Mensagem Like \"nada\""_s);
        QVERIFY(rows->NoMatch());
        QCOMPARE(numberAtCurrentRow(*rows), 3);
        rows->FindNext(u"Numero = 4"_s);
        QCOMPARE(rows->AbsolutePosition(), 3);
    }

    void countsAndMoves() {
        const auto rows = openSelect(m_path, u"Select * From Frases Order By Numero"_s);
        rows->MoveLast();
        QCOMPARE(rows->RecordCount(), 6);
        QCOMPARE(numberAtCurrentRow(*rows), 5);
        rows->MoveFirst();
        QCOMPARE(rows->Fields(u"MENSAGEM"_s).Value().toText(), u"Só o tempo"_s);
        QVERIFY(rows->Fields(u"nota"_s).Value().isNull());
    }

    void unknownColumnIsNamed() {
        const auto rows = openSelect(m_path, u"Select * From Frases"_s);
        const QString description = descriptionOf([&] { rows->Fields(u"Texto"_s); });
        QVERIFY2(description.contains(u"\"Texto\""_s), qPrintable(description));
        QCOMPARE(errorOf([&] { rows->Fields(u"Texto"_s); }), ErrorCode::ColumnNotFound);
    }

    void emptyRecordsetHasNoCurrentRecord() {
        const auto rows = openSelect(m_path, u"Select * From Frases Where Numero > 100"_s);
        QCOMPARE(rows->RecordCount(), 0);
        QCOMPARE(errorOf([&] { rows->MoveLast(); }), ErrorCode::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rows->MoveFirst(); }), ErrorCode::NoCurrentRecord);
        QCOMPARE(errorOf([&] { rows->Fields(u"mensagem"_s).Value(); }), ErrorCode::NoCurrentRecord);
        rows->FindFirst(u"Numero = 1"_s);
        QVERIFY(rows->NoMatch());
    }

    void badSources_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<ErrorCode>("error");
        QTest::addColumn<QString>("named");
        QTest::newRow("missing table") << u"Outra"_s << ErrorCode::TableNotFound << u"Outra"_s;
        QTest::newRow("missing table in select")
            << u"Select * From Outra Order By Numero"_s << ErrorCode::TableNotFound << u"Outra"_s;
        QTest::newRow("missing order column")
            << u"Select * From Frases Order By Num"_s << ErrorCode::ColumnNotFound << u"Num"_s;
    }

    // The missing table or column is named.
    void badSources() {
        QFETCH(QString, source);
        QFETCH(ErrorCode, error);
        QFETCH(QString, named);
        const auto raised = raisedBy([&] { openSelect(m_path, source); });
        QVERIFY(raised);
        QCOMPARE(raised->code(), error);
        QVERIFY2(raised->description().contains(named), qPrintable(raised->description()));
    }

    // Whatever keeps a file from being a database is told apart, the file named; the file is
    // left as it was found.
    void damagedFiles_data() {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("words");
        QTest::newRow("missing") << Damage::Missing << 101 << u"não foi encontrado"_s;
        QTest::newRow("empty") << Damage::Empty << 102 << u"está vazio"_s;
        QTest::newRow("first half") << Damage::FirstHalf << 104 << u"danificado"_s;
        QTest::newRow("first 1000 bytes") << Damage::First1000Bytes << 104 << u"danificado"_s;
        QTest::newRow("random bytes") << Damage::RandomBytes << 102 << u"não é um banco"_s;
        QTest::newRow("a folder") << Damage::Folder << 102 << u"é uma pasta"_s;
        QTest::newRow("a FIFO") << Damage::Fifo << 102 << u"e sim um FIFO"_s;
        // Passed by every look before SQLite opens it, as a name swapped at the last moment is.
        QTest::newRow("a FIFO journal")
            << Damage::FifoJournal << 102 << u"-journal\" não é um arquivo comum"_s;
        QTest::newRow("a device") << Damage::Device << 102 << u"e sim um dispositivo"_s;
        QTest::newRow("a link loop") << Damage::LinkLoop << 101 << u"de volta a si mesmo"_s;
        QTest::newRow("a link to nothing")
            << Damage::DanglingLink << 101 << u"link simbólico para \"antigo\", que não existe"_s;
    }

    void damagedFiles() {
        QFETCH(Damage, damage);
        QFETCH(int, number);
        QFETCH(QString, words);
        ScratchDirectory directory;
        const QString path = directory.file(u"quelmar.mdb"_s);
        QVERIFY(QFile::copy(m_path, path));
        damageFile(path, damage);
        const QStringList before = directoryState(directory.path());
        const auto error = raisedBy([&] { openSelect(path, u"Frases"_s); });
        QVERIFY(error);
        QCOMPARE(error->number(), number);
        for (const QString& named : {path, words})
            QVERIFY2(error->description().contains(named), qPrintable(error->description()));
        QCOMPARE(directoryState(directory.path()), before);
    }

    void booleanColumnReadsAsBoolean() {
        const QString path = m_scratch.file(u"opcoes-bool"_s);
        makeOptions(path, u"1"_s, u"15"_s, u"0"_s);
        const auto rows =
            db::DBEngine().Workspaces(0).OpenDatabase(path)->OpenRecordset(u"opcoes"_s);
        QCOMPARE(rows->Fields(u"ComTem"_s).Value(), db::Variant(false));
        QCOMPARE(rows->Fields(u"IniCom"_s).Value(), db::Variant(1));
        QCOMPARE(rows->Fields(u"SegTem"_s).Value(), db::Variant(15.0));
    }

    void editAndUpdateWriteThrough() {
        const QString path = m_scratch.file(u"opcoes-escrita"_s);
        makeOptions(path, u"1"_s, u"15"_s, u"1"_s);
        const auto rows =
            db::DBEngine().Workspaces(0).OpenDatabase(path)->OpenRecordset(u"opcoes"_s);
        rows->Edit();
        rows->Fields(u"segtem"_s).setValue(20.5);
        rows->Fields(u"ComTem"_s).setValue(false);
        rows->Update();
        QCOMPARE(queryText(path, u"SELECT SegTem || '/' || ComTem FROM opcoes"_s), u"20.5/0"_s);
        QCOMPARE(rows->Fields(u"SegTem"_s).Value(), db::Variant(20.5));
        QCOMPARE(rows->Fields(u"ComTem"_s).Value(), db::Variant(false));
    }

    // Another program writing (a lock), or the file's own rules: the reason and the file named,
    // the row as it was, the edit ended.
    void failedUpdateChangesNothing_data() {
        QTest::addColumn<QString>("sql"); // none: a lock of another connection
        QTest::addColumn<QString>("words");
        QTest::newRow("locked") << QString() << u"bloqueado"_s;
        QTest::newRow("a view")
            << u"ALTER TABLE opcoes RENAME TO t; CREATE VIEW opcoes AS SELECT * FROM t"_s
            << u"é uma visão (VIEW)"_s;
        QTest::newRow("a CHECK rule")
            << u"CREATE TABLE t (IniCom SMALLINT CHECK (IniCom <> 2), SegTem DOUBLE, ComTem "
               u"BOOLEAN); INSERT INTO t SELECT * FROM opcoes; DROP TABLE opcoes; "
               u"ALTER TABLE t RENAME TO opcoes"_s
            << u"CHECK IniCom <> 2"_s;
        // A further row, which the program never reads, may hold the values it writes.
        QTest::newRow("a UNIQUE rule")
            << u"CREATE UNIQUE INDEX unico ON opcoes (IniCom); INSERT INTO opcoes VALUES "
               u"(2, 15, 1)"_s
            << u"o valor de opcoes.IniCom já existe"_s;
        QTest::newRow("a trigger refusing")
            << u"CREATE TRIGGER recusa BEFORE UPDATE ON opcoes BEGIN "
               u"SELECT RAISE(ABORT, 'opções travadas'); END"_s
            << u"gatilho (TRIGGER) do arquivo recusou a gravação, dizendo \"opções travadas\""_s;
    }

    void failedUpdateChangesNothing() {
        QFETCH(QString, sql);
        QFETCH(QString, words);
        ScratchDirectory directory;
        const QString path = directory.file(u"opcoes"_s);
        makeOptions(path, u"1"_s, u"15"_s, u"1"_s);
        if (!sql.isEmpty())
            runSql(path, sql);
        const QString stored = u"SELECT IniCom || '/' || SegTem FROM opcoes LIMIT 1"_s;
        const auto rows =
            db::DBEngine().Workspaces(0).OpenDatabase(path)->OpenRecordset(u"opcoes"_s);
        QString description;
        {
            std::optional<LockHolder> lock;
            if (sql.isEmpty())
                lock.emplace(path); // another program is writing to the options file
            description = descriptionOf([&] {
                rows->Edit();
                rows->Fields(u"IniCom"_s).setValue(2);
                rows->Fields(u"SegTem"_s).setValue(30.0);
                rows->Update();
            });
        }
        QVERIFY2(description.contains(path) && description.contains(words),
                 qPrintable(description));
        QCOMPARE(queryText(path, stored), u"1/15.0"_s);
        QCOMPARE(rows->Fields(u"IniCom"_s).Value(), db::Variant(1));
        QCOMPARE(rows->Fields(u"SegTem"_s).Value(), db::Variant(15.0));
        // The edit ended with the failure; a new one works once the lock is gone.
        QCOMPARE(errorOf([&] { rows->Fields(u"IniCom"_s).setValue(2); }), ErrorCode::NotInEditMode);
        if (!sql.isEmpty())
            return;
        rows->Edit();
        rows->Fields(u"IniCom"_s).setValue(2);
        rows->Update();
        QCOMPARE(queryText(path, stored), u"2/15.0"_s);
    }

    void cancelledEditWritesNothing() {
        const QString path = m_scratch.file(u"opcoes-cancelado"_s);
        makeOptions(path, u"1"_s, u"15"_s, u"1"_s);
        const auto rows =
            db::DBEngine().Workspaces(0).OpenDatabase(path)->OpenRecordset(u"opcoes"_s);
        rows->Edit();
        rows->Fields(u"IniCom"_s).setValue(2);
        rows->CancelUpdate();
        QCOMPARE(rows->Fields(u"IniCom"_s).Value(), db::Variant(1));
        QCOMPARE(errorOf([&] { rows->Update(); }), ErrorCode::NotInEditMode);
        QCOMPARE(queryText(path, u"SELECT IniCom FROM opcoes"_s), u"1"_s);
    }

    void selectCannotBeEdited() {
        const auto rows = openSelect(m_path, u"Select * From Frases"_s);
        QCOMPARE(errorOf([&] { rows->Edit(); }), ErrorCode::NotUpdatable);
        QCOMPARE(errorOf([&] { rows->Update(); }), ErrorCode::NotInEditMode);
    }

    void lockedFileCannotBeOpened() {
        const QString path = m_scratch.file(u"bloqueado.db"_s);
        makeCollection(path, u"Frases"_s, {u"um"_s});
        LockHolder lock(path);
        const QString description = descriptionOf([&] { openSelect(path, u"Frases"_s); });
        QVERIFY2(description.contains(path), qPrintable(description));
        QCOMPARE(errorOf([&] { openSelect(path, u"Frases"_s); }), ErrorCode::FileLocked);
    }
};

QTEST_GUILESS_MAIN(TestRecordset)
#include "test_recordset.moc"
