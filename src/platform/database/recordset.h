#pragma once

#include "platform/core/folded_texts.h"
#include "platform/database/criteria.h"
#include "platform/database/variant.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace db {

namespace sqlite {
class Connection;
}
class Recordset;

// When the texts of a recordset's rows are folded for finds.
enum class TextFolding {
    WhileReading,
    // Kept as read, then folded by FoldTexts or by the first find, whichever comes first:
    // reading the rows costs little more than copying them.
    Later,
};

// One column of the current row, reached by name.
class Field {
public:
    Field(Recordset& recordset, int column) : m_recordset(&recordset), m_column(column) {}

    // The value in the current row (or in the edit in progress); no current row is an error.
    Variant Value() const;
    // Only between Edit and Update.
    void setValue(const Variant& value);

private:
    Recordset* m_recordset;
    int m_column;
};

// The rows of a table or of a Select statement, read into memory once, in the statement's
// order. Finds run over the rows in memory; a table's recordset can change its current row.
class Recordset {
public:
    Recordset(std::shared_ptr<sqlite::Connection> connection, const QString& source,
              TextFolding folding = TextFolding::WhileReading);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    // The current row's index, or -1 when there is none.
    int AbsolutePosition() const { return hasCurrentRow() ? m_current : -1; }
    std::int32_t RecordCount() const { return rowCount(); }

    // A find that matches nothing sets NoMatch and leaves the current row where it was.
    void FindFirst(QStringView criterion);
    void FindNext(QStringView criterion);
    bool NoMatch() const { return m_noMatch; }
    // Folds the texts kept as read (TextFolding::Later), once; a call meanwhile waits for it.
    // One other thread may call it while the recordset's own thread goes on using it.
    void FoldTexts();

    Field Fields(QStringView name);
    int FieldCount() const { return static_cast<int>(m_columnNames.size()); }
    // The column's index (any letter case), or -1 when there is no such column.
    int FieldIndex(QStringView name) const;

    // Any row's cell, without moving the current row: for checks that visit every row. Row and
    // column must exist. TypeAt and IsBinaryAt build no value, so they cost next to nothing.
    Variant ValueAt(int row, int column) const;
    Variant::Type TypeAt(int row, int column) const { return m_cells[cellIndex(row, column)].type; }
    // A value stored as binary data (a blob); it reads as a text of its raw bytes.
    bool IsBinaryAt(int row, int column) const { return m_cells[cellIndex(row, column)].binary; }
    // A text's bytes exactly as stored, even where they are not valid UTF-8; empty for a cell
    // that holds no text.
    std::string TextBytesAt(int row, int column) const;

    void Edit();
    void Update();
    // Ends an edit without writing it; nothing happens when no edit is open.
    void CancelUpdate() { m_edit.reset(); }

    // The path of the database file the rows come from.
    const QString& DatabaseName() const;

private:
    friend class Field;
    struct LaterFolding;

    int rowCount() const {
        return static_cast<int>(m_cells.size() / std::max<std::size_t>(1, m_columnNames.size()));
    }
    std::size_t cellIndex(int row, int column) const {
        return static_cast<std::size_t>(row) * m_columnNames.size() + column;
    }
    bool hasCurrentRow() const { return m_current >= 0 && m_current < rowCount(); }
    void requireCurrentRow() const;
    int requireColumn(QStringView name) const;

    void load(const QString& sql, int hiddenLeadingColumns);
    void storeRow(sqlite3_stmt* statement, int hiddenLeadingColumns, std::vector<Cell>& out);
    void reloadCurrentRow();

    static core::FoldedTexts::Text storedText(const Cell& cell) {
        return {cell.text, cell.foldedLength, cell.textChanges};
    }
    bool numberedFromOne(int column) const;
    std::string originalText(const Cell& cell) const;
    void foldKeptTexts(LaterFolding& later);
    static void adoptFolded(Cell& cell, const core::FoldedTexts::Text& folded);
    void find(QStringView criterion, int fromRow);
    const criteria::Criterion& compiled(QStringView criterion);

    std::shared_ptr<sqlite::Connection> m_connection;
    QString m_source;
    QString m_table; // set for a table's recordset, which can be changed
    bool m_isView = false;
    QStringList m_columnNames;
    std::vector<bool> m_booleanColumns;
    std::vector<Cell> m_cells; // row after row
    std::vector<std::int64_t> m_rowIds;
    core::FoldedTexts m_texts;
    // Only while texts are kept as read; never released, since another thread may wait on it.
    std::unique_ptr<LaterFolding> m_laterFolding;
    int m_current = 0;
    bool m_noMatch = false;

    std::optional<std::vector<Variant>> m_edit;

    // Filled on first use.
    mutable std::vector<std::optional<bool>> m_numberedColumns;

    QString m_lastCriterionText;
    std::optional<criteria::Criterion> m_lastCriterion;
};

} // namespace db
