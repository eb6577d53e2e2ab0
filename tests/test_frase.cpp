// quelmar-frase run as a user runs it, from a copy in a scratch program directory, against
// collections written for each test; its search compared with the Find window's on the same
// collection.

#include "support/command_run.h"
#include "support/program_run.h"
#include "windows/localizar.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Leftover)

namespace {

// Texts whose words stand where the search rows need them; 3 and 6 are long.
ProgramFiles testFiles() {
    ProgramFiles files;
    files.quelmar = {u"O coração sabe o caminho."_s,
                     u"Quem tem Coração tem casa"_s,
                     u"Coração no começo não conta"_s,
                     u"Um coracao sem acento conta"_s,
                     u"Só a coragem e o corar da tarde"_s,
                     u"Longa %1 fim"_s.arg(QString(200, u'x')),
                     u"Outra longa %1 fim"_s.arg(QString(300, u'y'))};
    files.tarvenas = {u"T um"_s, u"T dois"_s, u"T três"_s};
    files.iniCom = u"2"_s;
    return files;
}

// A program directory with the command beside the files, as installed.
struct Installed : ScratchDirectory {
    explicit Installed(const ProgramFiles& files = testFiles()) {
        files.writeTo(*this);
        const QString command = file(u"quelmar-frase"_s);
        if (!QFile::copy(QStringLiteral(QUELMAR_FRASE), command) ||
            !QFile::setPermissions(command, QFile::ReadOwner | QFile::ExeOwner) ||
            !QDir(path()).mkdir(u"modulos"_s) ||
            !QFile::copy(QStringLiteral(QUELMAR_CARD_MODULE),
                         file(u"modulos/quelmar-frase-cartao.so"_s)))
            qFatal("cannot copy quelmar-frase");
    }

    CommandRun run(const QStringList& arguments) const {
        return runCommand(file(u"quelmar-frase"_s), arguments);
    }

    CommandRun runRedirected(const QStringList& arguments, const QString& redirection) const {
        return runCommandRedirected(file(u"quelmar-frase"_s), arguments, redirection);
    }
};

QList<int> attributedNumbers(const QByteArray& out) {
    QList<int> numbers;
    static const QRegularExpression line(u"^— [^\\n]*, nº (\\d+)$"_s,
                                         QRegularExpression::MultilineOption);
    for (const auto& match : line.globalMatch(QString::fromUtf8(out)))
        numbers << match.captured(1).toInt();
    return numbers;
}

} // namespace

class TestFrase : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // a regular expression for the whole output
        QTest::addColumn<QString>("err"); // part of the error output
        const auto row = [](const char* name, const QStringList& arguments, int exitCode,
                            const QString& out, const QString& err = {}) {
            QTest::newRow(name) << arguments << exitCode << out << err;
        };
        const QString usage = u"--help"_s;
        row("start-up collection of the options", {}, 0,
            u"T (um|dois|três)\\n— Tarvenas de Cendra, nº [1-3]\\n"_s);
        row("number", {u"-n"_s, u"2"_s, u"-c"_s, u"quelmar"_s}, 0,
            u"Quem tem Coração tem casa\\n— Quelmar de Orivela, nº 2\\n"_s);
        row("text only, long options",
            {u"--so-texto"_s, u"--numero= 02 "_s, u"--colecao=QUELMAR"_s}, 0,
            u"Quem tem Coração tem casa\\n"_s);
        row("flags together", {u"-qcquelmar"_s, u"-n1"_s}, 0, u"O coração sabe o caminho.\\n"_s);
        row("search: blanks around, case and accents ignored",
            {u"-c"_s, u"quelmar"_s, u"-q"_s, u"-b"_s, u"CORACAO"_s}, 0,
            u"O coração sabe o caminho.\\n%\\nQuem tem Coração tem casa\\n%\\n"
            u"Um coracao sem acento conta\\n"_s);
        row("search with a wildcard", {u"-cquelmar"_s, u"-b"_s, u"cor*"_s}, 0,
            u"O coração sabe o caminho.\\n— Quelmar de Orivela, nº 1\\n%\\n"
            u"Quem tem Coração tem casa\\n— Quelmar de Orivela, nº 2\\n%\\n"
            u"Um coracao sem acento conta\\n— Quelmar de Orivela, nº 4\\n%\\n"
            u"Só a coragem e o corar da tarde\\n— Quelmar de Orivela, nº 5\\n"_s);
        row("short ones only", {u"-c"_s, u"quelmar"_s, u"-s"_s, u"-b"_s, u"fim"_s}, 1, {},
            u"nenhuma mensagem de Quelmar de Orivela tem a palavra \"fim\" entre as curtas"_s);
        row("long ones only", {u"-c"_s, u"quelmar"_s, u"-l"_s, u"-q"_s, u"--max"_s, u"250"_s}, 0,
            u"Longa x{200} fim\\n"_s);
        row("number that is not long", {u"-c"_s, u"quelmar"_s, u"-l"_s, u"-n"_s, u"1"_s}, 1, {},
            u"não é das pedidas"_s);
        row("nothing found, wildcards suggested", {u"-b"_s, u"nada"_s}, 1, {}, u"\"*nada*\""_s);
        row("number not in the collection", {u"-n"_s, u"4"_s}, 1, {},
            u"Tarvenas de Cendra não tem a mensagem nº 4"_s);
        row("number beyond 16 bits", {u"-n"_s, u"70000"_s}, 1, {}, u"nº 70000"_s);
        row("number that is not a number", {u"-n"_s, u"dois"_s}, 2, {}, usage);
        row("blank word", {u"-b"_s, u"  "_s}, 2, {}, u"vazia"_s);
        row("short and long", {u"-s"_s, u"-l"_s}, 2, {}, usage);
        row("number and search", {u"-n"_s, u"1"_s, u"-b"_s, u"x"_s}, 2, {}, u"escolha só um"_s);
        row("unknown collection", {u"-c"_s, u"outra"_s}, 2, {}, u"quelmar ou tarvenas"_s);
        row("a source that is not there", {u"coração"_s}, 1, {}, u"\"coração\" não é"_s);
        row("notification of a search", {u"-t"_s, u"-b"_s, u"x"_s}, 2, {}, usage);
        row("date with more after it", {u"-d"_s, u"--data"_s, u"2026-01-01x"_s}, 2, {}, usage);
        row("date with a time", {u"-d"_s, u"--data=2026-01-01T09:00"_s}, 2, {}, usage);
        row("date with a blank after it", {u"-d"_s, u"--data"_s, u"2026-01-01 "_s}, 2, {}, usage);
        row("--max beyond the largest", {u"--max"_s, u"2147483648"_s}, 2, {}, u"grande demais"_s);
        row("date without -d", {u"--data"_s, u"2024-01-01"_s}, 2, {}, usage);
    }

    void answers() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Installed installed;
        const CommandRun run = installed.run(arguments);
        QVERIFY2(run.exitCode == exitCode, run.transcript());
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out))
                     .match(QString::fromUtf8(run.out))
                     .hasMatch(),
                 run.transcript());
        QVERIFY2(QString::fromUtf8(run.err).contains(err), run.transcript());
        QCOMPARE(run.err.isEmpty(), exitCode == 0);
    }

    // A card for every way of choosing a message, written in place of what the file held and
    // nowhere else, with no display.
    void card_data() {
        QTest::addColumn<QStringList>("arguments"); // "F" stands for the card's file
        QTest::addColumn<QString>("existing");      // what stands at F before: a file, folder, link
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QSize>("size"); // of the card written
        const QString f = u"F"_s;
        const QSize square(1080, 1080);
        QTest::newRow("a number") << QStringList{u"-n2"_s, u"-cquelmar"_s, u"--imagem"_s, f}
                                  << QString() << 0 << square;
        QTest::newRow("the first match, at a size")
            << QStringList{u"-cquelmar"_s,     u"-b"_s,        u"coração"_s,
                           u"--imagem="_s + f, u"--tamanho"_s, u"400x600"_s}
            << QString() << 0 << QSize(400, 600);
        QTest::newRow("the message of the day, replacing a file")
            << QStringList{u"-d"_s, u"--imagem"_s, f} << u"file"_s << 0 << square;
        QTest::newRow("a random one to standard output")
            << QStringList{u"--imagem"_s, u"-"_s} << QString() << 0 << square;
        QTest::newRow("too long for the card")
            << QStringList{u"--imagem"_s, f, u"--tamanho"_s, u"4096x320"_s} << QString() << 1
            << QSize();
        QTest::newRow("a folder in the way")
            << QStringList{u"--imagem"_s, f} << u"folder"_s << 1 << QSize();
        QTest::newRow("a link in the way")
            << QStringList{u"--imagem"_s, f} << u"link"_s << 1 << QSize();
        QTest::newRow("a device") << QStringList{u"--imagem"_s, u"/dev/null"_s} << QString() << 1
                                  << QSize();
        QTest::newRow("a size out of range")
            << QStringList{u"--imagem"_s, f, u"--tamanho"_s, u"319x400"_s} << QString() << 2
            << QSize();
        QTest::newRow("a size without a card")
            << QStringList{u"--tamanho"_s, u"400x400"_s} << QString() << 2 << QSize();
        QTest::newRow("a card and a notification")
            << QStringList{u"-t"_s, u"--imagem"_s, f} << QString() << 2 << QSize();
    }

    void card() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, existing);
        QFETCH(int, exitCode);
        QFETCH(QSize, size);
        const Installed installed;
        const ScratchDirectory out;
        const QString card = out.file(u"cartão.png"_s);
        arguments.replaceInStrings(u"F"_s, card);
        if (existing == u"file")
            replaceContent(card, "antes");
        if (existing == u"folder")
            QVERIFY(QDir().mkdir(card));
        replaceContent(out.file(u"alvo"_s), "alvo");
        if (existing == u"link")
            QVERIFY(QFile::link(out.file(u"alvo"_s), card));
        const QStringList before = directoryState(out.path());
        qunsetenv("DISPLAY");
        const CommandRun run = installed.run(arguments);
        QVERIFY2(run.exitCode == exitCode, run.transcript());
        if (!size.isValid()) {
            QCOMPARE(directoryState(out.path()), before);
            return;
        }
        const bool toOutput = arguments.contains(u"-"_s);
        QCOMPARE(QImage::fromData(toOutput ? run.out : contentOf(card)).size(), size);
        QVERIFY2(run.err.isEmpty() && (toOutput || run.out.isEmpty()), run.transcript());
        QCOMPARE(
            entryNames(out.path()),
            (QStringList{u"alvo"_s} << (toOutput ? QStringList() : QStringList{u"cartão.png"_s})));
        if (toOutput)
            return;
        const QByteArray first = contentOf(card); // the same bytes every time
        QCOMPARE(installed.run(arguments).exitCode, 0);
        QCOMPARE(contentOf(card), first);
    }

    // The same all day; over as many days as there are messages, each comes once.
    void messageOfTheDay() {
        const Installed installed;
        const QDate first(2031, 5, 28);
        QSet<QByteArray> seen;
        for (int day = 0; day < 7; ++day) {
            const QString date = first.addDays(day).toString(Qt::ISODate);
            const CommandRun run =
                installed.run({u"-d"_s, u"-c"_s, u"quelmar"_s, u"--data"_s, date});
            QVERIFY2(run.exitCode == 0, run.transcript());
            QCOMPARE(installed.run({u"-dcquelmar"_s, u"--data="_s + date}).out, run.out);
            seen.insert(run.out);
        }
        QCOMPARE(seen.size(), 7);
        const CommandRun today = installed.run({u"--do-dia"_s});
        QCOMPARE(
            today.out,
            installed.run({u"-d"_s, u"--data"_s, QDate::currentDate().toString(Qt::ISODate)}).out);
    }

    void damagedFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sql"); // run on the file; none: the file's bytes are replaced
        QTest::addColumn<QByteArray>("bytes"); // none either: the file is removed
        QTest::addColumn<QString>("error");
        QTest::newRow("collection missing")
            << u"tarvenas.mdb"_s << QString() << QByteArray() << u"'101'"_s;
        QTest::newRow("options missing") << u"opcoes"_s << QString() << QByteArray() << u"'101'"_s;
        QTest::newRow("collection not a database")
            << u"tarvenas.mdb"_s << QString() << randomBytes(4096) << u"'102'"_s;
        QTest::newRow("a gap in the numbers")
            << u"tarvenas.mdb"_s << u"DELETE FROM Tarvenas_tab WHERE Numero = 2"_s << QByteArray()
            << u"'113': A coleção"_s;
        QTest::newRow("options without a row")
            << u"opcoes"_s << u"DELETE FROM opcoes"_s << QByteArray() << u"'107'"_s;
    }

    void damagedFiles() {
        QFETCH(QString, file);
        QFETCH(QString, sql);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const Installed installed;
        const QString path = installed.file(file);
        if (!sql.isEmpty()) {
            runSql(path, sql);
        } else {
            QVERIFY(QFile::remove(path));
            if (!bytes.isEmpty())
                replaceContent(path, bytes);
        }
        const QStringList before = directoryState(installed.path());
        const CommandRun run = installed.run({});
        QVERIFY2(run.exitCode == 1, run.transcript());
        QVERIFY2(run.err.startsWith("quelmar-frase: Erro em tempo de execução ") &&
                     QString::fromUtf8(run.err).contains(error),
                 run.transcript());
        QCOMPARE(directoryState(installed.path()), before);
    }

    void ownCollection_data() {
        QTest::addColumn<QString>("own");
        QTest::newRow("own Quelmar") << u"quelmar"_s;
        QTest::newRow("own Tarvenas") << u"tarvenas"_s;
    }

    // The user's own file takes the place of the installed one.
    void ownCollection() {
        QFETCH(QString, own);
        const Installed installed;
        const OwnDataHome home;
        makeOwnFile(home.own(u'/' + own + u".mdb"_s), {});
        makeCollection(home.own(u'/' + own + u".mdb"_s),
                       own == u"quelmar" ? u"QuelmarOrivela"_s : u"Tarvenas_tab"_s, {u"minha"_s});
        const CommandRun run = installed.run({u"-q"_s, u"-c"_s, own, u"-n1"_s});
        QVERIFY2(run.exitCode == 0 && run.out == "minha\n", run.transcript());
    }

    // Not even an interrupted write of the options is undone: that is the program's to do. Nor
    // does a file in WAL mode get the files SQLite keeps beside such a file.
    void writesNothing_data() {
        QTest::addColumn<Leftover>("leftover");
        QTest::addColumn<bool>("interrupted");   // the options as a crash left them
        QTest::addColumn<QByteArray>("refusal"); // in every run's error; none: the runs work
        QTest::newRow("journal") << Leftover::Journal << true << QByteArray("-journal");
        QTest::newRow("WAL, writes in the log")
            << Leftover::WriteAheadLog << true << QByteArray("-wal");
        QTest::newRow("WAL") << Leftover::WriteAheadLog << false << QByteArray();
    }

    void writesNothing() {
        QFETCH(Leftover, leftover);
        QFETCH(bool, interrupted);
        QFETCH(QByteArray, refusal);
        const Installed installed;
        const QString options = installed.file(u"opcoes"_s);
        const QString copy = installed.file(u"opcoes-copia"_s);
        const QString log = leftover == Leftover::Journal ? u"-journal"_s : u"-wal"_s;
        copyMidWrite(options, copy, leftover);
        QVERIFY(QFile::remove(interrupted ? options : copy + log));
        QVERIFY(interrupted ? QFile::rename(copy, options) : QFile::remove(copy));
        QVERIFY(!interrupted || QFile::rename(copy + log, options + log));
        const QStringList before = directoryState(installed.path());
        for (const QStringList& arguments : {QStringList{u"-c"_s, u"quelmar"_s},
                                             {u"-c"_s, u"tarvenas"_s, u"-b"_s, u"um"_s},
                                             {u"-d"_s, u"-c"_s, u"quelmar"_s},
                                             QStringList{}})
            installed.run(arguments);
        const CommandRun run = installed.run({});
        QVERIFY2(run.exitCode == (refusal.isEmpty() ? 0 : 1) && run.err.contains(refusal),
                 run.transcript());
        QCOMPARE(directoryState(installed.path()), before);
    }

    // Reached through a link, so that only the system's answer names the folder.
    void findsItsFolderNamedInBytes() {
        const Installed installed;
        const QByteArray folder = QFile::encodeName(installed.path());
        const QByteArray renamed = folder + "\xff";
        QCOMPARE(::rename(folder.constData(), renamed.constData()), 0);
        const ScratchDirectory elsewhere;
        const QString link = elsewhere.file(u"frase"_s);
        QCOMPARE(::symlink(renamed + "/quelmar-frase", QFile::encodeName(link).constData()), 0);
        const CommandRun run = runCommand(link, {u"-n"_s, u"1"_s});
        QCOMPARE(::rename(renamed.constData(), folder.constData()), 0);
        QVERIFY2(run.exitCode == 0 && run.out.startsWith("T um"), run.transcript());
    }

    void outputFailures_data() { addWriteFailureRows(); }

    void outputFailures() {
        QFETCH(QString, redirection);
        QFETCH(QString, reason);
        QFETCH(int, status);
        ProgramFiles files = testFiles();
        // More than a pipe holds, so that the reader is gone before the last write.
        files.quelmar.assign(3000, u"a mesma palavra de novo e de novo, sempre a mesma"_s);
        const Installed installed(files);
        const CommandRun run =
            installed.runRedirected({u"-c"_s, u"quelmar"_s, u"-b"_s, u"palavra"_s}, redirection);
        QVERIFY2(run.exitCode == status, run.transcript());
        QVERIFY2(reason.isEmpty() ? run.err.isEmpty() : QString::fromUtf8(run.err).contains(reason),
                 run.transcript());
    }

    // A collection file given by its path: its one table with both columns, named by the file.
    void databaseFiles_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::newRow("one table") << u""_s << 0 << u"B\n— minhas.mdb, nº 2\n"_s;
        QTest::newRow("two tables")
            << u"CREATE TABLE Outra (numero INT, Mensagem TEXT)"_s << 1 << QString();
        QTest::newRow("no such table")
            << u"ALTER TABLE Minhas RENAME COLUMN mensagem TO texto"_s << 1 << QString();
    }

    void databaseFiles() {
        QFETCH(QString, sql);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        const Installed installed;
        const QString path = installed.file(u"minhas.mdb"_s);
        makeCollection(path, u"Minhas"_s, {u"A"_s, u"B"_s});
        if (!sql.isEmpty())
            runSql(path, sql);
        const CommandRun run = installed.run({u"-n"_s, u"2"_s, path});
        QVERIFY2(run.exitCode == exitCode, run.transcript());
        QCOMPARE(QString::fromUtf8(run.out), out);
        QVERIFY2(exitCode == 0 || run.err.contains("'105'"), run.transcript());
    }

    // A fortune text file as it is: entries numbered from 1 in the file, empty ones skipped.
    void fortuneFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("out");
        const QByteArray fortunes =
            "%\nUm\n%\n%\n" + QByteArray(170, 'd') + "\n%\nDe tr\xC3\xAAs em tr\xC3\xAAs\n%\n";
        const QString third = u"De três em três\n— sorte, nº 3\n"_s;
        QTest::newRow("empty entries and a last separator")
            << fortunes << QStringList{u"-n"_s, u"3"_s} << third;
        QTest::newRow("Latin-1") << QByteArray("\xC1gua\n") << QStringList{u"-qn1"_s}
                                 << u"Água\n"_s;
        QTest::newRow("search") << fortunes << QStringList{u"-b"_s, u"TRES"_s} << third;
        QTest::newRow("long ones only")
            << fortunes << QStringList{u"-q"_s, u"-l"_s} << QString(170, u'd') + u'\n';
        QTest::newRow("nothing short enough")
            << fortunes << QStringList{u"-q"_s, u"--max=1"_s} << QString();
    }

    void fortuneFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, options);
        QFETCH(QString, out);
        const Installed installed;
        replaceContent(installed.file(u"sorte"_s), content);
        const CommandRun run = installed.run(options << installed.file(u"sorte"_s));
        QVERIFY2(run.exitCode == (out.isEmpty() ? 1 : 0), run.transcript());
        QCOMPARE(QString::fromUtf8(run.out), out);
    }

    // A folder's fortune files in name order, beside a collection: over as many days as there
    // are messages in all of them, the message of the day is each once.
    void folders_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("found"); // what "-q -b *" finds in the folder
        QTest::newRow("name order") << QStringList{u"b"_s, u"a"_s} << u"de a ok\n%\nde b ok\n"_s;
        QTest::newRow("hidden and strfile's left out")
            << QStringList{u"a"_s, u".oculto"_s, u"a.dat"_s, u"a.u8"_s} << u"de a ok\n"_s;
    }

    void folders() {
        QFETCH(QStringList, files);
        QFETCH(QString, found);
        const Installed installed;
        QVERIFY(QDir(installed.path()).mkdir(u"pasta"_s));
        for (const QString& name : files)
            replaceContent(installed.file(u"pasta/"_s + name), "de " + name.toUtf8() + " ok\n");
        const QString folder = installed.file(u"pasta"_s);
        QCOMPARE(QString::fromUtf8(installed.run({u"-q"_s, u"-b"_s, u"*"_s, folder}).out), found);
        const int all = int(found.count(u'\n') - found.count(u'%')) + 3; // and tarvenas' three
        QSet<QByteArray> seen;
        for (int day = 0; day < all; ++day)
            seen.insert(installed
                            .run({u"-d"_s, u"--data"_s,
                                  QDate(2031, 5, 28).addDays(day).toString(Qt::ISODate), folder,
                                  u"tarvenas"_s})
                            .out);
        QCOMPARE(seen.size(), all);
    }

    // A folder and a file named in bytes that are not UTF-8, given as bash $'...' words so that
    // the bytes reach the command as they are.
    void sourcesNamedInBytes() {
        const Installed installed;
        const QByteArray folder = QFile::encodeName(installed.path()) + "/pa\xff"
                                                                        "sta";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        QFile file;
        QVERIFY(file.open(fopen((folder + "/men\xe7"
                                          "agens")
                                    .constData(),
                                "w"),
                          QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        file.write("de um ok\n");
        file.close();
        for (const QByteArray& source : {folder, folder + "/men\xe7"
                                                          "agens"}) {
            QString word = u"$'"_s;
            for (const char byte : source)
                word += QString::asprintf("\\x%02x", static_cast<unsigned char>(byte));
            const CommandRun run = installed.runRedirected({u"-q"_s}, word + u"'"_s);
            QVERIFY2(run.exitCode == 0 && run.out == "de um ok\n", run.transcript());
        }
    }

    // Every match the Find window and find-next reach, in the same order.
    void searchAgreesWithFindWindow_data() {
        QTest::addColumn<QString>("keyword");
        QTest::newRow("accented word typed plain") << u"coracao"_s;
        QTest::newRow("capitals") << u"CONTA"_s;
        QTest::newRow("wildcards") << u"co?a*"_s;
        QTest::newRow("a phrase") << u"tem casa"_s;
        QTest::newRow("a character class") << u"[ct]*"_s;
    }

    void searchAgreesWithFindWindow() {
        QFETCH(QString, keyword);
        ProgramFiles files = testFiles();
        files.iniCom = u"1"_s;
        files.comTem = u"0"_s;
        const Installed installed(files);
        const CommandRun run = installed.run({u"-b"_s, keyword});
        QVERIFY2(run.exitCode <= 1, run.transcript());

        ProgramRun program(installed.path());
        QVERIFY(program.start());
        windows::frmPrincipal& main = program.main();
        auto& find = program.open<windows::FrmLocalizar>(u"cmdLocalizar");
        find.textBox(u"Text1").setText(keyword);
        find.button(u"cmdLoc").click();
        // Until a press finds nothing and says so in a box.
        QList<int> found;
        while (program.services.boxes.empty()) {
            found << main.scrollBar(u"hscrollBrowser").Value();
            main.button(u"Command1").click();
        }
        QCOMPARE(attributedNumbers(run.out), found);
    }
};

QTEST_MAIN(TestFrase)

#include "test_frase.moc"
