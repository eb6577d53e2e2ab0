#pragma once

#include "platform/database/engine.h"

#include <QString>
#include <memory>

namespace windows {

// The state that more than one window reads. The running program holds it, so it lives exactly
// as long as one run of the program.
struct Module1 {
    // The options file and its one-row table, opened at start-up and held until the end.
    std::shared_ptr<db::Database> dbOpcoes;
    std::shared_ptr<db::Recordset> rsOpcoes;
    // The criterion of the last search that found a message; empty until one does.
    QString UltimoCriterio;
};

// The running program's.
Module1& module1();

} // namespace windows
