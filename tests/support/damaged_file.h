#pragma once

#include <QMetaType>
#include <QString>

// The ways a program file is found spoilt, from a file gone to a lock another program holds.
enum class Damage {
    Missing,
    Empty,
    FirstHalf,
    First1000Bytes,
    RandomBytes,
    Folder,
    Fifo,
    FifoJournal, // the file as it was, a FIFO named as its journal beside it
    Device,
    LinkLoop,
    DanglingLink,
    Unreadable,
    ReadOnly,
    Sql,
    ExclusiveLock,
    ReservedLock,
};

Q_DECLARE_METATYPE(Damage)

// Spoils the file at `path` as `damage` says (`sql` for Damage::Sql); the locks are for the
// caller to take. Fails the running test when it cannot.
void damageFile(const QString& path, Damage damage, const QString& sql = {});
