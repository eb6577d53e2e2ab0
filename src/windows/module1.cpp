#include "windows/module1.h"

namespace windows {

std::shared_ptr<db::Database> dbOpcoes;
std::shared_ptr<db::Recordset> rsOpcoes;
QString UltimoCriterio;

} // namespace windows
