#pragma once

#include <QString>

namespace data {

struct CollectionSource;

// Which options file a run uses. A program directory the user can write (a per-user or portable
// install) keeps the options beside the program; a shared one (a system-wide install, the
// Debian package) gives each user a copy of its own under $XDG_CONFIG_HOME, made from the
// installed file at the first start, and never writes the installed file.
struct OptionsLocation {
    // The file this run reads: the one it writes, or the installed one until the user's own
    // copy exists.
    QString readFrom;
    // The file this run writes.
    QString writeTo;

    bool needsUserCopy() const { return readFrom != writeTo; }
};

// Decides where this user's options are; looks at the disk, changes nothing.
OptionsLocation locateOptions(const QString& programDirectory);

// $XDG_CONFIG_HOME/quelmar-de-orivela, or ~/.config/quelmar-de-orivela when that variable is
// unset, empty or not an absolute path.
QString userOptionsDirectory();

// Makes the user's own copy when the location asks for one: a temporary file beside it, linked
// into place only while no file has that name, so a copy made meanwhile by another start is kept
// and a half-written one is never seen. Creates the folder as needed. A failure is error 109,
// naming the file it could not make. Either way, removes the temporary copies a start stopped
// in the middle of the copy left in the user's folder.
void makeUserOptions(const OptionsLocation& location);

// Which file of a collection a run reads: the user's own, put in place by `quelmar-colecoes
// instalar`, when it exists; otherwise the one installed beside the program. Neither is ever
// written by the program.
struct CollectionLocation {
    QString path;
    bool own = false;
};

// Decides which file of the collection this user reads; looks at the disk, changes nothing.
CollectionLocation locateCollection(const QString& programDirectory,
                                    const CollectionSource& source);

// $XDG_DATA_HOME/quelmar-de-orivela, or ~/.local/share/quelmar-de-orivela when that variable is
// unset, empty or not an absolute path.
QString userCollectionsDirectory();

// Where the user's own file of the collection is, whether or not it exists.
QString userCollectionPath(const CollectionSource& source);

// Makes the folder and those above it that are missing, each new one private to the user; an
// empty text, or why not in words.
QString makeUserFolders(const QString& folder);

} // namespace data
