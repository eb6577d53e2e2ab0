#include "data/collection_loader.h"

#include "platform/core/runtime_error.h"

#include <system_error>

namespace data {

namespace {

// Keeps what `step` gives, or the fault it raised; true when it gave.
template <typename T, typename Step>
bool attempt(T& result, std::exception_ptr& fault, const Step& step) {
    try {
        result = step();
        return true;
    } catch (...) {
        fault = std::current_exception();
        return false;
    }
}

} // namespace

CollectionLoader::CollectionLoader(QString programDirectory)
    : m_directory(std::move(programDirectory)), m_locations{
                                                    locateCollection(m_directory, *m_sources[0]),
                                                    locateCollection(m_directory, *m_sources[1])} {
    // With an engine that cannot be used from two threads, or no thread to be had, the same
    // steps run here and now, their faults kept all the same, and the first finds fold.
    if (db::objectsMayChangeThreads()) {
        try {
            m_worker = std::thread(&CollectionLoader::work, this, true);
            return;
        } catch (const std::system_error&) {
        }
    }
    work(false);
}

CollectionLoader::~CollectionLoader() {
    {
        const std::lock_guard guard(m_lock);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_worker.joinable())
        m_worker.join();
}

void CollectionLoader::work(bool thenFold) {
    std::array<Outcome, 2> outcomes;
    std::array<std::shared_ptr<db::Recordset>, 2> read;
    std::size_t handedOver = 0;
    const auto handOverUpTo = [&](std::size_t end) {
        for (; handedOver < end; ++handedOver)
            m_handOver[handedOver].set_value(std::move(outcomes[handedOver]));
    };
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (m_stopping || !attempt(outcomes[i].database, outcomes[i].openFault, [&] {
                return openCollectionFile(m_locations[i].path, *m_sources[i]);
            }))
            return handOverUpTo(outcomes.size());
    }
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        if (m_stopping || !attempt(outcomes[i].rows, outcomes[i].readFault, [&] {
                return openRows(*outcomes[i].database, *m_sources[i], db::TextFolding::Later);
            }))
            return handOverUpTo(outcomes.size());
        read[i] = outcomes[i].rows;
        handOverUpTo(i + 1);
    }
    if (thenFold)
        fold(read);
}

// A fold that fails (out of memory) is left to the first find, which folds again and reports it.
void CollectionLoader::startFolding() {
    {
        const std::lock_guard guard(m_lock);
        m_mayFold = true;
    }
    m_wake.notify_one();
}

void CollectionLoader::fold(const std::array<std::shared_ptr<db::Recordset>, 2>& rows) {
    {
        std::unique_lock guard(m_lock);
        m_wake.wait(guard, [this] { return m_mayFold || m_stopping; });
    }
    for (const auto& collection : rows) {
        if (m_stopping)
            return;
        try {
            collection->FoldTexts();
        } catch (...) {
            return;
        }
    }
}

std::size_t CollectionLoader::indexOf(const CollectionSource& source) const {
    const std::size_t i = &source == m_sources[0] ? 0 : 1;
    if (&source != m_sources[i])
        core::raise(core::ErrorCode::InternalError,
                    QStringLiteral("A tabela %1 não é de nenhuma das coleções.")
                        .arg(QString::fromUtf16(source.table)));
    return i;
}

const CollectionLoader::Outcome& CollectionLoader::outcomeOf(const CollectionSource& source) const {
    return m_pending[indexOf(source)].get();
}

const CollectionLocation& CollectionLoader::location(const CollectionSource& source) const {
    return m_locations[indexOf(source)];
}

std::shared_ptr<db::Database> CollectionLoader::database(const CollectionSource& source) {
    const Outcome& outcome = outcomeOf(source);
    if (outcome.openFault)
        std::rethrow_exception(outcome.openFault);
    return outcome.database;
}

// Rows never tried can only be asked for out of order: after a fault that was not raised.
std::shared_ptr<db::Recordset> CollectionLoader::rows(const CollectionSource& source) {
    const Outcome& outcome = outcomeOf(source);
    if (outcome.openFault)
        std::rethrow_exception(outcome.openFault);
    if (outcome.readFault)
        std::rethrow_exception(outcome.readFault);
    if (!outcome.rows)
        core::raise(core::ErrorCode::InternalError,
                    QStringLiteral("As mensagens de \"%1\" foram pedidas antes da hora.")
                        .arg(location(source).path));
    return outcome.rows;
}

} // namespace data
