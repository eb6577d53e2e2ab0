#include "platform/database/engine.h"

#include "platform/core/runtime_error.h"

#include <sqlite3.h>

namespace db {

Workspace& Engine::Workspaces(int index) {
    if (index != 0)
        core::raise(core::ErrorCode::InvalidPropertyValue,
                    QStringLiteral("O espaço de trabalho %1 não existe; só há o 0.").arg(index));
    return m_defaultWorkspace;
}

Engine& DBEngine() {
    static Engine engine;
    return engine;
}

// Connections are opened without a lock of their own (SQLITE_OPEN_NOMUTEX); a library built
// with its locks compiled out could not even keep two connections apart.
bool objectsMayChangeThreads() {
    return sqlite3_threadsafe() != 0;
}

} // namespace db
