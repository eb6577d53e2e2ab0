#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names are bytes to the system and QStrings to the program. A name in UTF-8 reads as its
// text; each byte that is not part of valid UTF-8 is kept as one lone code unit U+DC80..U+DCFF,
// which no valid text holds, so that the name turns back into exactly the bytes it came from.
// Qt's own conversion would turn such a byte into U+FFFD for good, and the file could no longer
// be opened.
namespace core {

QString fileNameFromBytes(QByteArrayView bytes);
QByteArray bytesOfFileName(QStringView name);

// The text for people: each kept byte shown as U+FFFD, the usual mark of an unreadable character.
QString displayable(QStringView text);

// Where the symbolic link named by `link` leads; empty when it cannot be read.
QString linkTarget(const QByteArray& link);

// The directory holding the running program's file, its links resolved, without a trailing
// separator; empty when the system does not say.
QString runningProgramDirectory();

// open(2) that never waits on what the name leads to: a FIFO without a writer, a terminal, a
// device. Whatever the name was when it was looked at before, the opened descriptor is judged:
// anything but a plain file or a folder is closed again and refused with errno ENXIO. The
// descriptor is close-on-exec and blocks as usual once judged; -1 with errno on failure.
int openWithoutWaiting(const char* name, int flags, int mode = 0);

} // namespace core
