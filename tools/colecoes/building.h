#pragma once

#include "data/encoding.h"

#include <QString>
#include <QStringList>

namespace colecoes {

// A collection to build from text sources: files, or folders standing for the fortune text
// files in them.
struct BuildRequest {
    QString output;
    QString table;
    QStringList sources;
    data::Encoding encoding = data::Encoding::Utf8;
};

// The files a build reads, in order, and what was left out with a warning. A folder gives its
// regular files in the byte order of their names, leaving out hidden ones and strfile's index
// files (.dat, .u8); such an index given by name (a glob took it) is left out when the file it
// indexes is beside it.
struct SourceFiles {
    QStringList files;
    QStringList warnings;
    QString problem; // a source that is neither a file nor a folder with files
};
SourceFiles sourceFiles(const QStringList& given);

// Builds the collection the way `criar` does, reporting on stderr every warning and every
// problem met; the number of messages written. When the collection cannot be written, whatever
// was at the output is left as it was and the command fails (core::failCommand).
int buildCollection(const BuildRequest& request);

} // namespace colecoes
