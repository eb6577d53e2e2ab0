#pragma once

#include "data/collections.h"
#include "data/options_location.h"
#include "platform/database/engine.h"

#include <QString>
#include <array>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

namespace data {

// Both collections of a program directory (or the user's own files in their place), opened and read
// on a worker thread of its own from the moment it is made, so that start-up can take each result
// at the step where it needs it while the window toolkit starts on the main thread.
//
// The worker does what start-up did itself, in the same order: open the first collection, open
// the second, read the first, read the second; it stops at the first fault. Then, once told
// to (startFolding), it folds their texts for finds, one collection after the other: start-up
// needs none of that, and a find that comes first folds its collection itself, or waits for the
// worker to finish it. A fault is kept,
// never raised on the worker, and raised by the step that takes it, so each one comes at the
// same step, in the same order and with the same error as without the worker. The steps are
// taken in that order; each waits if the worker is not done with that collection yet. A
// collection is handed over whole, once the worker is done with it, and never touched by the
// worker again but to fold its texts, which the recordset guards itself.
class CollectionLoader {
public:
    explicit CollectionLoader(QString programDirectory);
    // Waits for the worker, which stops before its next step (folding a collection is one).
    ~CollectionLoader();
    CollectionLoader(const CollectionLoader&) = delete;
    CollectionLoader& operator=(const CollectionLoader&) = delete;

    const QString& programDirectory() const { return m_directory; }
    // The file of the collection this run reads: the user's own or the installed one.
    const CollectionLocation& location(const CollectionSource& source) const;

    // Lets the worker fold the texts it has read: best once the window is on screen, so that
    // folding takes nothing from showing it.
    void startFolding();

    // The collection's database, opened (Workspace::OpenDatabase on its path).
    std::shared_ptr<db::Database> database(const CollectionSource& source);
    // Its rows (openRows).
    std::shared_ptr<db::Recordset> rows(const CollectionSource& source);

private:
    struct Outcome {
        std::shared_ptr<db::Database> database;
        std::exception_ptr openFault;
        std::shared_ptr<db::Recordset> rows;
        std::exception_ptr readFault;
    };

    void work(bool thenFold);
    void fold(const std::array<std::shared_ptr<db::Recordset>, 2>& rows);
    std::size_t indexOf(const CollectionSource& source) const;
    const Outcome& outcomeOf(const CollectionSource& source) const;

    static constexpr std::array<const CollectionSource*, 2> m_sources{&quelmarCollection,
                                                                      &tarvenasCollection};
    QString m_directory;
    // Decided before the worker starts, from the user's environment as it is then.
    std::array<CollectionLocation, 2> m_locations;
    std::array<std::promise<Outcome>, 2> m_handOver;
    std::array<std::shared_future<Outcome>, 2> m_pending{m_handOver[0].get_future().share(),
                                                         m_handOver[1].get_future().share()};
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::condition_variable m_wake;
    bool m_mayFold = false; // under m_lock
    std::thread m_worker;
};

} // namespace data
