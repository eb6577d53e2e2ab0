#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string_view>

namespace core {
class CheckedOutput;
}
namespace db {
class Recordset;
}

namespace colecoes {

class NewDatabase;

// Why a new collection may not be written at `output`, or nothing. A collection replaces only
// an earlier collection: never one of its own sources, a file that is not a regular one (a
// link, a folder, a device, a pipe) or a file that is not a collection database (the options
// file, a document). The journal files beside `output` go with the collection they belong to,
// so they are deleted only beside one, and never when one of them is a source.
std::optional<QString> outputRefusal(const QString& output, const QStringList& sources);

// Builds a collection database, table `table` with Numero (SMALLINT, 1..N in the order the
// messages come, the primary key) and mensagem (TEXT), under a temporary name beside its final
// place: a failure never leaves a half-built collection at `path` nor touches what is there,
// and a run stopped by a signal, or killed, leaves no temporary file for long (the next build of
// the same collection removes what one killed left). A replaced collection keeps its
// permissions; a new one gets those the umask allows.
class CollectionBuilder {
public:
    CollectionBuilder(const QString& path, const QString& table);
    ~CollectionBuilder();
    CollectionBuilder(const CollectionBuilder&) = delete;
    CollectionBuilder& operator=(const CollectionBuilder&) = delete;

    // The first failure is kept: after it the rest do nothing, and start() and finish() return
    // it (an empty text on success).
    QString start();
    void add(std::string_view text);
    // Moves the collection into place, removing the journal files an earlier collection there
    // left behind, which the next read-write open would otherwise roll back into this one. A
    // journal with no collection beside it is refused instead.
    QString finish();

private:
    std::unique_ptr<NewDatabase> m_database;
    QString m_path;
    QString m_table;
    QString m_failure;
    int m_count = 0;
};

// Writes a new options database with its one row (IniCom 1, SegTem 15, ComTem true) the way a
// user's own copy of the options is made: it never replaces anything, nor writes through a link.
QString createOptions(const QString& path);

// The collection's rows the way the program reads them, opened read-only so that nothing is ever
// written; raises the engine's error if they cannot be read.
std::shared_ptr<db::Recordset> openInNumberOrder(const QString& path, const QString& table);

// Writes the messages in Numero order in the text format; raises the engine's error if the
// collection cannot be read.
void exportCollection(const QString& path, const QString& table, core::CheckedOutput& out);

bool isValidTableName(const QString& table);

// Why a new collection's table may not have that name, or nothing.
std::optional<QString> tableNameRefusal(const QString& table);

} // namespace colecoes
