#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <initializer_list>
#include <sys/types.h>

// Files the program makes beside the ones it keeps: written whole under a temporary name first,
// so that nobody ever sees half a file, and never put in place over anything already there.
// Names are the system's bytes.
namespace core {

// The mode a new file gets when nothing else decides it: 0666 minus the user's umask.
mode_t newFileMode();

// The name a file is made under before it gets `name`, as mkstemp takes it ("XXXXXX" last).
// The word in it keeps it apart from the user's own files, such as "opcoes.backup", so that a
// stale one can be told from them and removed.
QByteArray temporaryPattern(const QByteArray& name);

// Writes `contents` to a new file at `target` with `mode`: a temporary file beside it, linked
// into place only while nothing has that name, so a file, a folder or a link already there is
// never replaced nor followed. 0, EEXIST when something already has the name, or the errno of
// the step that failed; no temporary file is left behind either way.
int createWithoutReplacing(const QByteArray& target, QByteArrayView contents, mode_t mode);

// Removes the files in `folder` made from temporaryPattern(name), followed by one of `suffixes`,
// that a run stopped before it could clean up left behind: this user's regular files, untouched
// for over a minute and locked by no one (a build still under way holds its lock). Best effort:
// a file that cannot be removed stays.
void removeStaleTemporaries(const QByteArray& folder, const QByteArray& name,
                            std::initializer_list<QByteArrayView> suffixes);

} // namespace core
