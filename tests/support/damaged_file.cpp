#include "support/damaged_file.h"

#include "support/scratch_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
