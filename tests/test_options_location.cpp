// Where a run keeps its options: beside a program directory the user can write; otherwise in the
// user's own configuration folder, copied from the installed file at the first start, with the
// installed file never written. Root writes every directory, so the rows about one the user
// cannot write skip themselves as root; test_options_location_unprivileged runs them as nobody.

#include "data/options_location.h"
#include "platform/core/file_names.h"
#include "support/program_run.h"
#include "support/raised_error.h"
#include "windows/opcoes.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>
#include <optional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString storedRowQuery = u"SELECT IniCom || '/' || SegTem || '/' || ComTem FROM opcoes"_s;

bool asRoot() {
    return geteuid() == 0;
}

// HOME and XDG_CONFIG_HOME for one test, put back afterwards.
class UserEnvironment {
public:
    UserEnvironment(const QString& home, const std::optional<QString>& configHome)
        : m_home(qgetenv("HOME")), m_configHome(qgetenv("XDG_CONFIG_HOME")),
          m_hadConfigHome(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        set(home, configHome);
    }
    ~UserEnvironment() {
        qputenv("HOME", m_home);
        if (m_hadConfigHome)
            qputenv("XDG_CONFIG_HOME", m_configHome);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    UserEnvironment(const UserEnvironment&) = delete;
    UserEnvironment& operator=(const UserEnvironment&) = delete;

    static void set(const QString& home, const std::optional<QString>& configHome) {
        qputenv("HOME", QFile::encodeName(home));
        if (configHome)
            qputenv("XDG_CONFIG_HOME", QFile::encodeName(*configHome));
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

private:
    QByteArray m_home;
    QByteArray m_configHome;
    bool m_hadConfigHome;
};

// A program directory as an install leaves it, made read-only to its user when `shared`.
struct InstalledProgram {
    explicit InstalledProgram(bool shared) {
        ProgramFiles{}.writeTo(directory);
        installed = contentOf(options());
        if (shared)
            QFile::setPermissions(directory.path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    ~InstalledProgram() {
        QFile::setPermissions(directory.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString options() const { return directory.file(u"opcoes"_s); }

    ScratchDirectory directory;
    QByteArray installed;
};

} // namespace

class TestOptionsLocation : public QObject {
    Q_OBJECT

private slots:
    // A home or configuration folder whose name is not UTF-8 (an old Latin-1 system) is the
    // folder the options go in, byte for byte.
    void userFolder_data() {
        QTest::addColumn<QByteArray>("home");
        QTest::addColumn<std::optional<QByteArray>>("configHome");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray ana = "/casa/ana";
        const QByteArray anasOwn = "/casa/ana/.config/quelmar-de-orivela";
        QTest::newRow("XDG_CONFIG_HOME set") << ana << std::optional<QByteArray>("/outro/lugar/")
                                             << QByteArray("/outro/lugar/quelmar-de-orivela");
        QTest::newRow("XDG_CONFIG_HOME unset") << ana << std::optional<QByteArray>() << anasOwn;
        QTest::newRow("XDG_CONFIG_HOME empty") << ana << std::optional(QByteArray()) << anasOwn;
        QTest::newRow("XDG_CONFIG_HOME relative")
            << ana << std::optional<QByteArray>("config") << anasOwn;
        QTest::newRow("home not UTF-8")
            << QByteArray("/casa/jo\xE3o") << std::optional<QByteArray>()
            << QByteArray("/casa/jo\xE3o/.config/quelmar-de-orivela");
        QTest::newRow("XDG_CONFIG_HOME not UTF-8")
            << ana << std::optional<QByteArray>("/configura\xE7\xE3o")
            << QByteArray("/configura\xE7\xE3o/quelmar-de-orivela");
    }

    void userFolder() {
        QFETCH(QByteArray, home);
        QFETCH(std::optional<QByteArray>, configHome);
        QFETCH(QByteArray, expected);
        UserEnvironment environment(u"/casa/ana"_s, std::nullopt);
        qputenv("HOME", home);
        if (configHome)
            qputenv("XDG_CONFIG_HOME", *configHome);
        QCOMPARE(core::bytesOfFileName(data::userOptionsDirectory()), expected);
    }

    void ownCollectionAtStartUp_data() {
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("shown"); // none: start-up fails, the box names the own file
        QTest::newRow("own Quelmar") << u"/quelmar.mdb"_s << u"minha Q"_s;
        QTest::newRow("own Tarvenas") << u"/tarvenas.mdb"_s << u"minha T"_s;
        QTest::newRow("own Tarvenas at fault") << u"/tarvenas.mdb"_s << QString();
    }

    // The window opens the user's own file in place of the installed one, and only that one.
    void ownCollectionAtStartUp() {
        QFETCH(QString, own);
        QFETCH(QString, shown);
        ScratchDirectory directory;
        // Each collection's own file shows at once when it is the start-up one.
        ProgramFiles{.iniCom = own == u"/quelmar.mdb" ? u"1"_s : u"2"_s}.writeTo(directory);
        const OwnDataHome home;
        makeOwnFile(home.own(own), shown.isEmpty() ? randomBytes(4096) : QByteArray());
        if (!shown.isEmpty())
            makeCollection(home.own(own),
                           own == u"/quelmar.mdb" ? u"QuelmarOrivela"_s : u"Tarvenas_tab"_s,
                           {shown});
        ProgramRun run(directory.path());
        QCOMPARE(run.start(), !shown.isEmpty());
        if (shown.isEmpty())
            QVERIFY2(run.lastBox().contains(home.own(own)) &&
                         run.lastBox().contains(u"restaurar tarvenas"_s),
                     qPrintable(run.lastBox()));
        else
            QCOMPARE(run.main().textBox(u"TxtTexto").Text(), shown);
    }

    void locate_data() {
        QTest::addColumn<bool>("shared");
        QTest::addColumn<bool>("ownCopy");
        QTest::addColumn<bool>("readsOwn");
        QTest::addColumn<bool>("writesOwn");
        QTest::newRow("writable program directory") << false << false << false << false;
        QTest::newRow("writable, with a copy from a shared install")
            << false << true << false << false;
        QTest::newRow("shared, first start") << true << false << false << true;
        QTest::newRow("shared, own copy made") << true << true << true << true;
    }

    // Deciding changes nothing: no folder, no file.
    void locate() {
        QFETCH(bool, shared);
        QFETCH(bool, ownCopy);
        QFETCH(bool, readsOwn);
        QFETCH(bool, writesOwn);
        if (shared && asRoot())
            QSKIP("root can write every directory");
        ScratchDirectory home;
        UserEnvironment environment(home.path(), std::nullopt);
        const QString own = home.file(u".config/quelmar-de-orivela/opcoes"_s);
        if (ownCopy) {
            QVERIFY(QDir().mkpath(QFileInfo(own).path()));
            replaceContent(own, "cópia");
        }
        const QStringList homeBefore = entryNames(home.path());
        InstalledProgram program(shared);

        const data::OptionsLocation location = data::locateOptions(program.directory.path());
        QCOMPARE(location.readFrom, readsOwn ? own : program.options());
        QCOMPARE(location.writeTo, writesOwn ? own : program.options());
        QCOMPARE(entryNames(home.path()), homeBefore);
        QCOMPARE(QFileInfo::exists(own), ownCopy);
    }

    void systemDirectoriesAreShared_data() {
        QTest::addColumn<QString>("programDirectory");
        QTest::newRow("/usr/lib") << u"/usr/lib"_s;
        QTest::newRow("/usr/local/lib, not clean") << u"/usr/local//lib/"_s;
    }

    // Even for root, who can write them: a packaged install's files are the package manager's.
    void systemDirectoriesAreShared() {
        QFETCH(QString, programDirectory);
        ScratchDirectory home;
        UserEnvironment environment(home.path(), std::nullopt);
        const data::OptionsLocation location = data::locateOptions(programDirectory);
        QCOMPARE(location.writeTo, home.file(u".config/quelmar-de-orivela/opcoes"_s));
    }

    void userCopy_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("copied");
        QTest::newRow("first start, folders made") << u"new"_s << true;
        QTest::newRow("a copy made meanwhile is kept") << u"made meanwhile"_s << false;
        QTest::newRow("configuration folder is a file") << u"folder is a file"_s << false;
        QTest::newRow("configuration folder read-only") << u"read-only folder"_s << false;
        QTest::newRow("installed file unreadable") << u"unreadable"_s << false;
        QTest::newRow("a start killed mid-copy left its file") << u"killed start"_s << true;
    }

    // The copy is all or nothing: the installed bytes under the user's name, or an error 109 naming
    // that file; never a temporary file left behind, never a file replaced.
    void userCopy() {
        QFETCH(QString, setting);
        QFETCH(bool, copied);
        if ((setting == u"read-only folder" || setting == u"unreadable") && asRoot())
            QSKIP("root reads and writes any file whatever its permissions");
        ScratchDirectory home;
        const QString configHome = home.file(u"config"_s);
        UserEnvironment environment(home.path(), configHome);
        ScratchDirectory installedDirectory;
        const QString installed = installedDirectory.file(u"opcoes"_s);
        replaceContent(installed, "opções iniciais");
        const data::OptionsLocation location{installed,
                                             data::userOptionsDirectory() + u"/opcoes"_s};
        const QString folder = QFileInfo(location.writeTo).path();
        if (setting == u"made meanwhile") {
            QVERIFY(QDir().mkpath(folder));
            replaceContent(location.writeTo, "escolhas do usuário");
        } else if (setting == u"folder is a file") {
            replaceContent(configHome, "um arquivo");
        } else if (setting == u"read-only folder") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        } else if (setting == u"unreadable") {
            QVERIFY(QFile::setPermissions(installed, {}));
        } else if (setting == u"killed start") {
            QVERIFY(QDir().mkpath(folder));
            QFile left(folder + u"/opcoes.temporario-k1LL3d"_s);
            QVERIFY(left.open(QIODevice::WriteOnly));
            left.setFileTime(QDateTime::currentDateTime().addSecs(-120),
                             QFileDevice::FileModificationTime);
        }

        const auto error = raisedBy([&] { data::makeUserOptions(location); });
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const bool fails = !copied && setting != u"made meanwhile";
        QCOMPARE(error.has_value(), fails);
        if (fails) {
            QCOMPARE(error->number(), 109);
            QVERIFY2(error->description().contains(u'"' + location.writeTo + u'"'),
                     qPrintable(error->description()));
            QVERIFY(!QFileInfo::exists(location.writeTo));
        } else {
            QCOMPARE(contentOf(location.writeTo),
                     copied ? contentOf(installed) : QByteArray("escolhas do usuário"));
        }
        if (QFileInfo(folder).isDir())
            QCOMPARE(entryNames(folder), QFileInfo::exists(location.writeTo)
                                             ? QStringList{u"opcoes"_s}
                                             : QStringList{});
    }

    // A shared install as two users live with it: each start reads and writes the user's own copy,
    // every message names it, and the installed file stays as it was delivered.
    void sharedInstall() {
        if (asRoot())
            QSKIP("root can write every directory");
        InstalledProgram program(true);
        const QStringList programFiles = entryNames(program.directory.path());
        ScratchDirectory homes;
        UserEnvironment environment(homes.file(u"ana"_s), std::nullopt);
        const QString own = homes.file(u"ana/.config/quelmar-de-orivela/opcoes"_s);
        {
            ProgramRun run(program.directory.path());
            QVERIFY(run.start());
            QCOMPARE(contentOf(own), program.installed);
            auto* options = &run.open<windows::FrmOpçoes>(u"cmdOpcoes");
            options->option(u"Option2").click();
            {
                LockHolder lock(own);
                options->button(u"cmdOKop").click();
            }
            QCOMPARE(run.services.boxes.size(), std::size_t{1});
            QVERIFY2(run.lastBox().contains(u'"' + own + u'"'), qPrintable(run.lastBox()));
            // The write goes through a journal that SQLite creates beside the file.
            const QString folder = QFileInfo(own).path();
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            options->button(u"cmdOKop").click();
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(run.services.boxes.size(), std::size_t{2});
            QVERIFY2(run.lastBox().contains(u'"' + own + u'"') &&
                         run.lastBox().contains(u"a pasta do arquivo só pode ser lida"_s),
                     qPrintable(run.lastBox()));
            options->button(u"cmdOKop").click();
            QCOMPARE(run.program.loadedForm<windows::FrmOpçoes>(), nullptr);
            QCOMPARE(queryText(own, storedRowQuery), u"2/15.0/1"_s);
        }
        {
            ProgramRun again(program.directory.path());
            QVERIFY(again.start());
            QVERIFY(again.main().option(u"OptTarvenas").Value());
        }

        UserEnvironment::set(homes.file(u"bia"_s), std::nullopt);
        const QString other = homes.file(u"bia/.config/quelmar-de-orivela/opcoes"_s);
        {
            ProgramRun run(program.directory.path());
            QVERIFY(run.start());
            QCOMPARE(contentOf(other), program.installed);
            QVERIFY(run.main().option(u"OptQuelmar").Value());
        }
        replaceContent(other, randomBytes(4096));
        {
            ProgramRun run(program.directory.path());
            QVERIFY(!run.start());
            QVERIFY2(run.lastBox().contains(u"'102'"_s) &&
                         run.lastBox().contains(u'"' + other + u'"'),
                     qPrintable(run.lastBox()));
        }
        QCOMPARE(queryText(own, storedRowQuery), u"2/15.0/1"_s);
        QCOMPARE(contentOf(program.options()), program.installed);
        QCOMPARE(entryNames(program.directory.path()), programFiles);
    }
};

QTEST_MAIN(TestOptionsLocation)
#include "test_options_location.moc"
