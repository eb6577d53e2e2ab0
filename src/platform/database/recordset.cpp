#include "platform/database/recordset.h"

#include "platform/core/runtime_error.h"
#include "platform/database/sqlite.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <sqlite3.h>

namespace db {

using core::ErrorCode;

namespace {

bool startsWithSelect(const QString& source) {
    return source.trimmed().startsWith(QLatin1StringView("select"), Qt::CaseInsensitive);
}

// No declared type (an expression's column) reads as empty.
bool isBooleanType(const char* declared) {
    const QByteArray type = QByteArray(declared).trimmed().toUpper();
    return type == "BOOLEAN" || type == "BOOL";
}

} // namespace

// Texts kept as read, and who folds them. They change slice by slice, under the lock, and
// never again once all are folded.
struct Recordset::LaterFolding {
    std::mutex lock;
    std::condition_variable settled;
    bool folding = false; // under the lock
    std::atomic<bool> folded{false};
    std::size_t expectedBytes = 0;
    // Where the texts go as they are folded; the recordset's store once all are.
    core::FoldedTexts store;
};

// ---- Field --------------------------------------------------------------------------------

Variant Field::Value() const {
    if (m_recordset->m_edit)
        return (*m_recordset->m_edit)[m_column];
    m_recordset->requireCurrentRow();
    return m_recordset->ValueAt(m_recordset->m_current, m_column);
}

void Field::setValue(const Variant& value) {
    if (!m_recordset->m_edit)
        core::raise(ErrorCode::NotInEditMode,
                    QStringLiteral("Não é possível alterar a coluna \"%1\" de \"%2\": o "
                                   "registro não está em edição.")
                        .arg(m_recordset->m_columnNames[m_column], m_recordset->m_source));
    (*m_recordset->m_edit)[m_column] = value;
}

// ---- loading ------------------------------------------------------------------------------

// Only a statement's rows, which nothing changes, may keep their texts as read.
Recordset::Recordset(std::shared_ptr<sqlite::Connection> connection, const QString& source,
                     TextFolding folding)
    : m_connection(std::move(connection)), m_source(source) {
    if (startsWithSelect(source)) {
        if (folding == TextFolding::Later)
            m_laterFolding = std::make_unique<LaterFolding>();
        load(source, 0);
        return;
    }
    const auto kind = m_connection->tableKind(source);
    if (kind == sqlite::Connection::TableKind::None)
        core::raise(ErrorCode::TableNotFound,
                    QStringLiteral("A tabela \"%1\" não existe em \"%2\".")
                        .arg(source, m_connection->path()));
    const QString table = sqlite::quoteIdentifier(source);
    // SQLite gives a view row ids that are all null, which no update can find.
    m_isView = kind == sqlite::Connection::TableKind::View;
    if (m_isView) {
        load(QStringLiteral("SELECT * FROM %1").arg(table), 0);
        return;
    }
    try {
        load(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(table), 1);
        m_table = source;
    } catch (const core::RuntimeError& error) {
        // A view or a table without row ids can be read but not changed.
        if (error.code() != ErrorCode::ColumnNotFound)
            throw;
        load(QStringLiteral("SELECT * FROM %1").arg(table), 0);
    }
}

// LaterFolding is whole only here.
Recordset::~Recordset() = default;

void Recordset::load(const QString& sql, int hiddenLeadingColumns) {
    sqlite::Statement statement(*m_connection, sql);
    sqlite3_stmt* handle = statement.handle();
    const int columns = sqlite3_column_count(handle);
    for (int i = hiddenLeadingColumns; i < columns; ++i) {
        m_columnNames.append(QString::fromUtf8(sqlite3_column_name(handle, i)));
        m_booleanColumns.push_back(isBooleanType(sqlite3_column_decltype(handle, i)));
    }
    // The file's size bounds the texts any one statement can read from it; expecting it lets a
    // whole collection's texts go into one block. Past a limit, blocks simply grow as needed.
    constexpr qint64 largestSingleBlock = qint64{64} << 20;
    const auto fileSize = static_cast<std::size_t>(
        std::clamp(m_connection->fileSize(), qint64{0}, largestSingleBlock));
    m_texts.expect(fileSize);
    if (m_laterFolding)
        m_laterFolding->expectedBytes = fileSize;
    // Hardly a row takes less of the file than this. Room for that many is set aside at once, so
    // that the cells are not copied again and again as they grow, each copy leaving its old room
    // behind in the heap; room never filled takes no memory.
    constexpr std::size_t smallRowBytes = 32;
    m_cells.reserve(fileSize / smallRowBytes * m_columnNames.size());
    while (statement.step()) {
        if (hiddenLeadingColumns > 0)
            m_rowIds.push_back(sqlite3_column_int64(handle, 0));
        storeRow(handle, hiddenLeadingColumns, m_cells);
    }
    m_numberedColumns.assign(m_columnNames.size(), std::nullopt);
}

void Recordset::storeRow(sqlite3_stmt* handle, int hiddenLeadingColumns, std::vector<Cell>& out) {
    for (int column = 0; column < FieldCount(); ++column) {
        const int i = column + hiddenLeadingColumns;
        Cell cell;
        const int type = sqlite3_column_type(handle, i);
        switch (type) {
        case SQLITE_INTEGER:
            cell.type = Variant::Type::Integer;
            cell.integer = sqlite3_column_int64(handle, i);
            break;
        case SQLITE_FLOAT:
            cell.type = Variant::Type::Double;
            cell.real = sqlite3_column_double(handle, i);
            break;
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            cell.binary = type == SQLITE_BLOB;
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(handle, i));
            const auto length = static_cast<std::size_t>(sqlite3_column_bytes(handle, i));
            const std::string_view read(text, length);
            const core::FoldedTexts::Text stored =
                m_laterFolding ? m_texts.keep(read) : m_texts.store(read);
            cell.type = Variant::Type::Text;
            cell.text = stored.data;
            cell.foldedLength = stored.foldedLength;
            cell.textChanges = stored.changes;
            break;
        }
        default:
            break;
        }
        if (m_booleanColumns[column] && cell.type != Variant::Type::Null &&
            cell.type != Variant::Type::Text) {
            const bool truth =
                cell.type == Variant::Type::Integer ? cell.integer != 0 : cell.real != 0.0;
            cell.type = Variant::Type::Boolean;
            cell.integer = truth;
        }
        out.push_back(cell);
    }
}

Variant Recordset::ValueAt(int row, int column) const {
    const Cell& cell = m_cells[cellIndex(row, column)];
    switch (cell.type) {
    case Variant::Type::Integer:
        return Variant(cell.integer);
    case Variant::Type::Double:
        return Variant(cell.real);
    case Variant::Type::Boolean:
        return Variant(cell.integer != 0);
    case Variant::Type::Text: {
        const std::string text = originalText(cell);
        return Variant(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    default:
        return Variant();
    }
}

std::string Recordset::TextBytesAt(int row, int column) const {
    const Cell& cell = m_cells[cellIndex(row, column)];
    return cell.type == Variant::Type::Text ? originalText(cell) : std::string();
}

std::string Recordset::originalText(const Cell& cell) const {
    if (m_laterFolding && !m_laterFolding->folded.load(std::memory_order_acquire)) {
        const std::lock_guard guard(m_laterFolding->lock);
        return core::FoldedTexts::original(storedText(cell));
    }
    return core::FoldedTexts::original(storedText(cell));
}

void Recordset::FoldTexts() {
    LaterFolding* later = m_laterFolding.get();
    if (!later || later->folded.load(std::memory_order_acquire))
        return;
    std::unique_lock guard(later->lock);
    later->settled.wait(guard, [later] { return !later->folding; });
    if (later->folded.load(std::memory_order_relaxed))
        return;
    later->folding = true;
    guard.unlock();
    try {
        foldKeptTexts(*later);
    } catch (...) {
        guard.lock();
        later->folding = false;
        later->settled.notify_all();
        throw;
    }
    guard.lock();
    m_texts = std::move(later->store);
    later->folding = false;
    later->folded.store(true, std::memory_order_release);
    later->settled.notify_all();
}

// Slice after slice, each slice's kept texts given back as their folded forms take over, so
// that both forms of a whole collection are never held at once. Only this thread changes the
// cells' texts, and only under the lock: it reads them without it, while the recordset's own
// thread may read them too, under the lock.
void Recordset::foldKeptTexts(LaterFolding& later) {
    constexpr std::size_t sliceCells = 4096;
    const auto kept = [](const Cell& cell) {
        return cell.type == Variant::Type::Text && cell.textChanges == core::FoldedTexts::notFolded;
    };
    later.store.expect(later.expectedBytes);
    std::vector<core::FoldedTexts::Text> folded;
    for (std::size_t begin = 0; begin < m_cells.size(); begin += sliceCells) {
        const std::size_t end = std::min(m_cells.size(), begin + sliceCells);
        folded.clear();
        for (std::size_t i = begin; i < end; ++i)
            if (kept(m_cells[i]))
                folded.push_back(later.store.fold(storedText(m_cells[i])));
        const std::lock_guard guard(later.lock);
        auto next = folded.begin();
        for (std::size_t i = begin; i < end; ++i)
            if (kept(m_cells[i]))
                adoptFolded(m_cells[i], *next++);
        // Kept texts lie in the order of their cells.
        const auto firstLeft = std::find_if(m_cells.begin() + end, m_cells.end(), kept);
        if (firstLeft != m_cells.end())
            m_texts.release(firstLeft->text);
    }
}

// Only the text members change: the other thread may be reading the cell's type meanwhile.
void Recordset::adoptFolded(Cell& cell, const core::FoldedTexts::Text& folded) {
    cell.text = folded.data;
    cell.foldedLength = folded.foldedLength;
    cell.textChanges = folded.changes;
}

// ---- position and fields ------------------------------------------------------------------

const QString& Recordset::DatabaseName() const {
    return m_connection->path();
}

// An empty table is the common cause, and the one a user can do something about; it is named
// as such.
void Recordset::requireCurrentRow() const {
    if (hasCurrentRow())
        return;
    if (rowCount() == 0 && !startsWithSelect(m_source))
        core::raise(ErrorCode::NoCurrentRecord,
                    QStringLiteral("A tabela \"%1\" de \"%2\" não tem nenhum registro.")
                        .arg(m_source, m_connection->path()));
    if (rowCount() == 0)
        core::raise(ErrorCode::NoCurrentRecord,
                    QStringLiteral("A consulta \"%1\" em \"%2\" não encontrou nenhum registro.")
                        .arg(m_source, m_connection->path()));
    core::raise(ErrorCode::NoCurrentRecord,
                QStringLiteral("Nenhum registro atual em \"%1\" (%2): a posição passou do "
                               "último registro.")
                    .arg(m_source, m_connection->path()));
}

void Recordset::MoveFirst() {
    m_current = 0;
    requireCurrentRow();
}

void Recordset::MoveLast() {
    m_current = rowCount() - 1;
    requireCurrentRow();
}

void Recordset::MoveNext() {
    requireCurrentRow();
    ++m_current;
}

int Recordset::FieldIndex(QStringView name) const {
    for (int i = 0; i < FieldCount(); ++i)
        if (m_columnNames[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int Recordset::requireColumn(QStringView name) const {
    const int column = FieldIndex(name);
    if (column < 0)
        core::raise(ErrorCode::ColumnNotFound,
                    QStringLiteral("A coluna \"%1\" não existe em \"%2\" (%3).")
                        .arg(name.toString(), m_source, m_connection->path()));
    return column;
}

Field Recordset::Fields(QStringView name) {
    return Field(*this, requireColumn(name));
}

// ---- finding ------------------------------------------------------------------------------

void Recordset::FindFirst(QStringView criterion) {
    find(criterion, 0);
}

void Recordset::FindNext(QStringView criterion) {
    find(criterion, hasCurrentRow() ? m_current + 1 : 0);
}

// A look-up by number in a column proven to hold 1..N in row order is answered by position;
// every other find tests the rows one by one.
void Recordset::find(QStringView text, int fromRow) {
    const criteria::Criterion& criterion = compiled(text);
    const int column = criterion.column();
    std::optional<int> found;
    if (const std::optional<double> number = criterion.number();
        number && numberedFromOne(column)) {
        const double row = *number - 1;
        if (row >= fromRow && row < rowCount() && row == std::trunc(row))
            found = static_cast<int>(row);
    } else {
        FoldTexts();
        for (int row = fromRow; row < rowCount() && !found; ++row)
            if (criterion.matches(m_cells[cellIndex(row, column)]))
                found = row;
    }
    m_noMatch = !found.has_value();
    if (found)
        m_current = *found;
}

const criteria::Criterion& Recordset::compiled(QStringView criterion) {
    if (!m_lastCriterion || m_lastCriterionText != criterion) {
        m_lastCriterion.reset();
        m_lastCriterion = criteria::Criterion::compile(
            criterion, [this](QStringView name) { return FieldIndex(name); });
        m_lastCriterionText = criterion.toString();
    }
    return *m_lastCriterion;
}

bool Recordset::numberedFromOne(int column) const {
    std::optional<bool>& numbered = m_numberedColumns[column];
    if (!numbered) {
        numbered = true;
        for (int row = 0; row < rowCount() && *numbered; ++row) {
            const Cell& c = m_cells[cellIndex(row, column)];
            numbered = c.type == Variant::Type::Integer && c.integer == row + 1;
        }
    }
    return *numbered;
}

// ---- changing -----------------------------------------------------------------------------

void Recordset::Edit() {
    if (m_isView)
        core::raise(ErrorCode::NotUpdatable,
                    QStringLiteral("A tabela \"%1\" de \"%2\" é uma visão (VIEW): os registros "
                                   "dela podem ser lidos, mas não alterados.")
                        .arg(m_source, m_connection->path()));
    if (m_table.isEmpty())
        core::raise(
            ErrorCode::NotUpdatable,
            QStringLiteral("Os registros de \"%1\" não podem ser alterados.").arg(m_source));
    requireCurrentRow();
    std::vector<Variant> values;
    for (int column = 0; column < FieldCount(); ++column)
        values.push_back(ValueAt(m_current, column));
    m_edit = std::move(values);
}

void Recordset::Update() {
    if (!m_edit)
        core::raise(ErrorCode::NotInEditMode,
                    QStringLiteral("Update sem Edit em \"%1\".").arg(m_source));
    // Whatever happens, the edit ends here; on failure the row in memory keeps its old values.
    const std::vector<Variant> values = std::move(*m_edit);
    m_edit.reset();
    QStringList assignments;
    for (int column = 0; column < FieldCount(); ++column)
        assignments.append(sqlite::quoteIdentifier(m_columnNames[column]) + QStringLiteral("=?") +
                           QString::number(column + 1));
    try {
        sqlite::Transaction transaction(*m_connection);
        sqlite::Statement update(*m_connection,
                                 QStringLiteral("UPDATE %1 SET %2 WHERE rowid=?%3")
                                     .arg(sqlite::quoteIdentifier(m_table), assignments.join(u", "))
                                     .arg(FieldCount() + 1),
                                 QStringLiteral("gravar em"));
        for (int column = 0; column < FieldCount(); ++column)
            update.bind(column + 1, values[column]);
        update.bind(FieldCount() + 1, Variant(m_rowIds[m_current]));
        update.step();
        if (sqlite3_changes(m_connection->handle()) != 1)
            core::raise(ErrorCode::WriteFailed,
                        QStringLiteral("Não foi possível gravar em \"%1\": o registro não "
                                       "existe mais na tabela \"%2\".")
                            .arg(m_connection->path(), m_table));
        transaction.commit();
    } catch (const core::RuntimeError& error) {
        if (error.code() == ErrorCode::WriteFailed)
            throw;
        core::raise(ErrorCode::WriteFailed, error.description());
    }
    reloadCurrentRow();
}

// Reads the row back as the file now holds it, so the recordset shows what was stored.
void Recordset::reloadCurrentRow() {
    sqlite::Statement select(
        *m_connection,
        QStringLiteral("SELECT * FROM %1 WHERE rowid=?1").arg(sqlite::quoteIdentifier(m_table)));
    select.bind(1, Variant(m_rowIds[m_current]));
    if (!select.step())
        return;
    std::vector<Cell> row;
    storeRow(select.handle(), 0, row);
    const std::size_t first = cellIndex(m_current, 0);
    std::copy(row.begin(), row.end(), m_cells.begin() + first);
    std::fill(m_numberedColumns.begin(), m_numberedColumns.end(), std::nullopt);
}

} // namespace db
