#pragma once

#include "platform/database/engine.h"

#include <QString>
#include <memory>

// The program-wide state that more than one window reads.
namespace windows {

// The options file and its one-row table, opened at start-up and held until the program ends.
extern std::shared_ptr<db::Database> dbOpcoes;
extern std::shared_ptr<db::Recordset> rsOpcoes;

// The criterion of the last search that found a message; empty until one does.
extern QString UltimoCriterio;

} // namespace windows
