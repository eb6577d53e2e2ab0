// The floor under quelmar-frase: a program that links Qt Core and SQLite, starts a
// QCoreApplication and prints the text of one row read by number, nothing else.
//   quelmar-frase-floor FILE TABLE NUMBER

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 4)
        return 2;
    sqlite3* handle = nullptr;
    sqlite3_stmt* statement = nullptr;
    const std::string sql =
        std::string("SELECT mensagem FROM \"") + argv[2] + "\" WHERE Numero = ?1";
    if (sqlite3_open_v2(argv[1], &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return 1;
    sqlite3_bind_int(statement, 1, std::atoi(argv[3]));
    if (sqlite3_step(statement) != SQLITE_ROW)
        return 1;
    std::puts(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return 0;
}
