#pragma once

#include "data/collections.h"
#include "data/encoding.h"

#include <QString>
#include <QStringList>

// A user's own collections: built into the user's data folder, where they take the place of the
// installed ones for that user alone, and removed from there. Nothing here needs more rights
// than the user's own, and the installed files are never touched.
namespace colecoes {

// "quelmar" or "tarvenas"; none for any other name.
const data::CollectionSource* collectionNamed(const QString& name);

// Builds the collection from the sources as `criar` does, with its table, and puts it in place of
// any earlier own file in one step: a program already running keeps the file it opened. Makes
// the folder, private to the user, when it is missing. The answer for the user; a failure
// fails the command.
QString installCollection(const data::CollectionSource& source, const QStringList& sources,
                          data::Encoding encoding);

// Removes the user's own file of the collection and nothing else; having none is no failure.
QString restoreCollection(const data::CollectionSource& source);

// For each collection: the file this user's program reads, whose it is and its number of
// messages, read without writing anything.
struct CollectionsShown {
    QString text;
    bool allUsable = true; // false when the program would refuse one of them
};
CollectionsShown showCollections();

} // namespace colecoes
