#pragma once

#include "data/collections.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace frase {

// Messages numbered 1..count() from one place: a collection database or a fortune text file.
// Whatever is asked first is all that is read: a count and one message never read the rest.
class Source {
public:
    virtual ~Source() = default;
    // The attribution line's name: the collection's title, or the file's name.
    virtual QString name() const = 0;
    // What sets this source's own order of messages of the day.
    virtual QString dayKey() const = 0;
    virtual int count() = 0;
    // 1 <= number <= count().
    virtual QString text(int number) = 0;
    // The characters of each message as the user counts them, in number order.
    virtual std::vector<int> characterCounts() = 0;
    // The numbers of the messages holding the keyword, found as the Find window finds it.
    virtual std::vector<int> search(const QString& keyword) = 0;
};

using Sources = std::vector<std::unique_ptr<Source>>;

// One of the program's collections, from the file the program would read.
std::unique_ptr<Source> collection(const QString& programDirectory,
                                   const data::CollectionSource& which);

// What an argument names: "quelmar" or "tarvenas" (any letter case) when no file or folder of
// that name is at hand, otherwise the file (a collection database or a fortune text file) or the
// folder, whose fortune text files are taken in name order. Raises the run-time error naming the
// path when nothing is there or nothing in it can be read.
Sources sourcesNamed(const QString& programDirectory, const QString& argument);

// Counting UTF-8 lead bytes gives the characters without building the text.
int storedCharacterCount(std::string_view utf8);

} // namespace frase
