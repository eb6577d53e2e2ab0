// A separate process for tests that need one beside the program: it changes a database file the
// way a user's tool would, or holds a lock on it the way another program would.
//
//   quelmar-test-sqlite exec FILE SQL
//       runs SQL on the existing FILE and ends.
//   quelmar-test-sqlite lock FILE exclusive|reserved
//       takes the lock, writes "bloqueado" on a line of its own once it holds it, and keeps it
//       until its standard input closes. An exclusive lock keeps every reader out; a reserved
//       one only other writers.

#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace {

int failure(sqlite3* handle, const char* file, const char* doing) {
    std::fprintf(stderr, "quelmar-test-sqlite: %s %s: %s\n", doing, file,
                 handle ? sqlite3_errmsg(handle) : "sem memória");
    sqlite3_close(handle);
    return 1;
}

int run(const char* file, const char* sql) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(file, &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return failure(handle, file, "abrir");
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return failure(handle, file, "executar em");
    sqlite3_close(handle);
    return 0;
}

// The statement that takes the lock, or null for an unknown kind.
const char* beginFor(const char* kind) {
    if (std::strcmp(kind, "exclusive") == 0)
        return "BEGIN EXCLUSIVE";
    if (std::strcmp(kind, "reserved") == 0)
        return "BEGIN IMMEDIATE";
    return nullptr;
}

int hold(const char* file, const char* begin) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(file, &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return failure(handle, file, "abrir");
    if (sqlite3_exec(handle, begin, nullptr, nullptr, nullptr) != SQLITE_OK)
        return failure(handle, file, "bloquear");
    std::puts("bloqueado");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(handle);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "exec") == 0)
        return run(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "lock") == 0 && beginFor(argv[3]) != nullptr)
        return hold(argv[2], beginFor(argv[3]));
    std::fputs("uso: quelmar-test-sqlite exec ARQUIVO SQL\n"
               "     quelmar-test-sqlite lock ARQUIVO exclusive|reserved\n",
               stderr);
    return 2;
}
