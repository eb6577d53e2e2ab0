// How fast the database layer answers the program's questions, each figure beside a baseline
// doing the least work that gives the same answer, measured in the same run on the same data.

#include "data/collection_loader.h"
#include "data/collections.h"
#include "platform/database/criteria.h"
#include "platform/database/engine.h"
#include "sample_collection.h"
#include "summary.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sqlite3.h>
#include <string_view>

namespace {

using namespace std::string_view_literals;

constexpr int messageCount = data::largestCollection;
constexpr int messageLength = 200;
constexpr std::uint32_t messageSeed = 20240611;
constexpr std::size_t lookupCount = 4096; // a power of two, so cycling is a mask
constexpr std::uint32_t lookupSeed = 7;

constexpr auto rowSource = u"Select * From Colecao Order By Numero";
constexpr auto missingWordCriterion = u"Mensagem Like \"* zzqxv *\"";
constexpr auto missingWordBytes = " zzqxv "sv;
constexpr auto keywordCriterion = u"Mensagem Like \"* esperança *\"";
// A word the generated prose never uses, put into one message in ten for the find-next sweep.
constexpr auto sweepCriterion = u"Mensagem Like \"* lumiar *\"";
constexpr auto sweepWordBytes = " lumiar "sv;
constexpr std::size_t sweepEvery = 10;

constexpr double quickMinTime = 0.3;
constexpr double slowMinTime = 0.5;
constexpr int firstScanIterations = 12;

// Everything the benchmarks share: the collection file, the same texts and numbers as plain
// C++ data, and a recordset whose folded texts and sorted keys are already built.
class Workload {
public:
    Workload();

    QString path() const { return m_directory.filePath(QStringLiteral("colecao.db")); }
    // A program directory whose first collection holds the same messages.
    QString programDirectory() const { return m_directory.filePath(QStringLiteral("programa")); }
    std::shared_ptr<db::Database> database;
    std::shared_ptr<db::Recordset> rows;
    std::vector<std::string> messages;
    std::vector<std::int16_t> numbers;
    std::vector<std::int16_t> lookupNumbers;
    std::vector<QString> lookupCriteria;
    // The same collection with the sweep's word in every tenth message.
    std::vector<std::string> sweepMessages;
    std::shared_ptr<db::Database> sweepDatabase;
    std::shared_ptr<db::Recordset> sweepRows;

private:
    void makeProgramDirectory();
    void makeSweepCollection();
    void chooseLookups();
    void warmUpAndCheck();

    QTemporaryDir m_directory;
};

[[noreturn]] void abandon(const char* why) {
    std::fprintf(stderr, "quelmar-bench: %s\n", why);
    std::exit(EXIT_FAILURE);
}

Workload::Workload() {
    if (!m_directory.isValid())
        abandon("no temporary directory");
    messages = bench::makeMessages(messageCount, messageLength, messageSeed);
    bench::writeCollection(path(), QStringLiteral("Colecao"), messages);
    for (int number = 1; number <= messageCount; ++number)
        numbers.push_back(static_cast<std::int16_t>(number));
    chooseLookups();
    database = db::DBEngine().Workspaces(0).OpenDatabase(path());
    rows = database->OpenRecordset(QString::fromUtf16(rowSource));
    makeSweepCollection();
    makeProgramDirectory();
    warmUpAndCheck();
}

void Workload::makeProgramDirectory() {
    QDir().mkpath(programDirectory());
    bench::writeCollection(programDirectory(), data::quelmarCollection, messages);
    bench::writeCollection(programDirectory(), data::tarvenasCollection, {"Uma só mensagem."});
}

void Workload::makeSweepCollection() {
    sweepMessages = bench::withWordEvery(messages, sweepWordBytes, sweepEvery);
    const QString path = m_directory.filePath(QStringLiteral("procura.db"));
    bench::writeCollection(path, QStringLiteral("Colecao"), sweepMessages);
    sweepDatabase = db::DBEngine().Workspaces(0).OpenDatabase(path);
    sweepRows = sweepDatabase->OpenRecordset(QString::fromUtf16(rowSource));
}

void Workload::chooseLookups() {
    std::mt19937 random(lookupSeed);
    for (std::size_t i = 0; i < lookupCount; ++i) {
        const auto number = static_cast<std::int16_t>(random() % messageCount + 1);
        lookupNumbers.push_back(number);
        lookupCriteria.push_back(data::numberCriterion(number));
    }
}

// A figure is worth nothing if the engine gives a different answer from the baseline.
void Workload::warmUpAndCheck() {
    rows->FindFirst(missingWordCriterion);
    if (!rows->NoMatch())
        abandon("the missing word was found");
    std::vector<int> engineHits;
    sweepRows->MoveFirst();
    for (sweepRows->FindFirst(sweepCriterion); !sweepRows->NoMatch();
         sweepRows->FindNext(sweepCriterion))
        engineHits.push_back(sweepRows->AbsolutePosition());
    std::vector<int> byteHits;
    for (std::size_t i = 0; i < sweepMessages.size(); ++i)
        if (sweepMessages[i].find(sweepWordBytes) != std::string::npos)
            byteHits.push_back(static_cast<int>(i));
    if (engineHits != byteHits || engineHits.size() != sweepMessages.size() / sweepEvery)
        abandon("the find-next sweep met other messages than the byte search");
    for (std::size_t i = 0; i < lookupCount; i += 97) {
        rows->FindFirst(lookupCriteria[i]);
        const std::string text = data::currentMessageText(*rows).toStdString();
        if (rows->NoMatch() || text != messages[lookupNumbers[i] - 1])
            abandon("a look-up by number found the wrong message");
    }
}

// ---- 1. look-up by number -----------------------------------------------------------------

void lookUpWithFindFirst(benchmark::State& state, Workload& workload) {
    std::size_t next = 0;
    for (auto _ : state) {
        workload.rows->FindFirst(workload.lookupCriteria[next]);
        benchmark::DoNotOptimize(workload.rows->NoMatch());
        next = (next + 1) & (lookupCount - 1);
    }
}

void lookUpWithLowerBound(benchmark::State& state, Workload& workload) {
    std::size_t next = 0;
    for (auto _ : state) {
        const std::int16_t wanted = workload.lookupNumbers[next];
        const auto hit = std::lower_bound(workload.numbers.begin(), workload.numbers.end(), wanted);
        benchmark::DoNotOptimize(hit != workload.numbers.end() && *hit == wanted);
        next = (next + 1) & (lookupCount - 1);
    }
}

// ---- 2. keyword that matches nothing ------------------------------------------------------

void scanWithFindFirst(benchmark::State& state, Workload& workload) {
    for (auto _ : state) {
        workload.rows->FindFirst(missingWordCriterion);
        benchmark::DoNotOptimize(workload.rows->NoMatch());
    }
}

// Each pass starts from the collections as start-up takes them, which nobody has searched yet.
void firstScanAfterStartUp(benchmark::State& state, Workload& workload) {
    for (auto _ : state) {
        state.PauseTiming();
        std::shared_ptr<db::Recordset> rows;
        {
            data::CollectionLoader collections(workload.programDirectory());
            collections.database(data::quelmarCollection);
            collections.database(data::tarvenasCollection);
            rows = collections.rows(data::quelmarCollection);
        }
        state.ResumeTiming();
        rows->FindFirst(missingWordCriterion);
        benchmark::DoNotOptimize(rows->NoMatch());
    }
}

void scanWithMemmem(benchmark::State& state, Workload& workload) {
    for (auto _ : state) {
        bool found = false;
        for (const std::string& message : workload.messages) {
            if (memmem(message.data(), message.size(), missingWordBytes.data(),
                       missingWordBytes.size()) != nullptr) {
                found = true;
                break;
            }
        }
        benchmark::DoNotOptimize(found);
    }
}

// ---- 3. find-next from the first message to the last --------------------------------------

// What "Localizar" and then "Localizar próxima" until the last match ask of the collection.
void sweepWithFindNext(benchmark::State& state, Workload& workload) {
    db::Recordset& rows = *workload.sweepRows;
    for (auto _ : state) {
        int hits = 0;
        rows.MoveFirst();
        for (rows.FindFirst(sweepCriterion); !rows.NoMatch(); rows.FindNext(sweepCriterion))
            ++hits;
        benchmark::DoNotOptimize(hits);
    }
}

// The same walk over the texts in memory: each search goes on from the message after the hit.
void sweepWithMemmem(benchmark::State& state, Workload& workload) {
    const std::vector<std::string>& messages = workload.sweepMessages;
    for (auto _ : state) {
        int hits = 0;
        for (std::size_t next = 0; next < messages.size(); ++next) {
            const std::string& message = messages[next];
            if (memmem(message.data(), message.size(), sweepWordBytes.data(),
                       sweepWordBytes.size()) != nullptr)
                ++hits;
        }
        benchmark::DoNotOptimize(hits);
    }
}

// ---- 4. opening the collection ------------------------------------------------------------

void openWithEngine(benchmark::State& state, Workload& workload) {
    const QString path = workload.path();
    const QString source = QString::fromUtf16(rowSource);
    for (auto _ : state) {
        const auto database = db::DBEngine().Workspaces(0).OpenDatabase(path);
        const auto rows = database->OpenRecordset(source);
        benchmark::DoNotOptimize(rows->RecordCount());
    }
}

std::int64_t readWithSqlite(const char* path, const char* sql) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path, &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        abandon("sqlite3_open_v2 failed");
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) != SQLITE_OK)
        abandon("sqlite3_prepare_v2 failed");
    std::int64_t total = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        total += sqlite3_column_int(statement, 0);
        benchmark::DoNotOptimize(sqlite3_column_text(statement, 1));
        total += sqlite3_column_bytes(statement, 1);
    }
    sqlite3_finalize(statement);
    sqlite3_close(handle);
    return total;
}

void openWithSqlite(benchmark::State& state, Workload& workload) {
    const QByteArray path = workload.path().toUtf8();
    const QByteArray sql = QString::fromUtf16(rowSource).toUtf8();
    for (auto _ : state)
        benchmark::DoNotOptimize(readWithSqlite(path.constData(), sql.constData()));
}

// ---- 5. compiling a keyword criterion -----------------------------------------------------

int collectionColumn(QStringView name) {
    if (name.compare(u"Numero", Qt::CaseInsensitive) == 0)
        return 0;
    return name.compare(u"mensagem", Qt::CaseInsensitive) == 0 ? 1 : -1;
}

void compileCriterion(benchmark::State& state) {
    const QString text = QString::fromUtf16(keywordCriterion);
    const db::criteria::Criterion::ColumnResolver resolver = collectionColumn;
    for (auto _ : state) {
        auto criterion = db::criteria::Criterion::compile(text, resolver);
        benchmark::DoNotOptimize(criterion);
    }
}

void copyCriterionText(benchmark::State& state) {
    const QString text = QString::fromUtf16(keywordCriterion);
    for (auto _ : state) {
        const QString copy(text.constData(), text.size()); // a real copy, not a shared one
        benchmark::DoNotOptimize(copy.constData());
    }
}

// ---- running ------------------------------------------------------------------------------

void registerBenchmarks(Workload& workload) {
    const auto with = [&workload](void (*function)(benchmark::State&, Workload&)) {
        return [&workload, function](benchmark::State& state) { function(state, workload); };
    };
    benchmark::RegisterBenchmark("lookup/FindFirst", with(lookUpWithFindFirst))
        ->MinTime(quickMinTime);
    benchmark::RegisterBenchmark("lookup/lower_bound", with(lookUpWithLowerBound))
        ->MinTime(quickMinTime);
    benchmark::RegisterBenchmark("scan/FindFirst", with(scanWithFindFirst))
        ->MinTime(slowMinTime)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("scan/FindFirst_after_start", with(firstScanAfterStartUp))
        ->Iterations(firstScanIterations)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("scan/memmem", with(scanWithMemmem))
        ->MinTime(slowMinTime)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("sweep/FindNext", with(sweepWithFindNext))
        ->MinTime(slowMinTime)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("sweep/memmem", with(sweepWithMemmem))
        ->MinTime(slowMinTime)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("open/OpenRecordset", with(openWithEngine))
        ->MinTime(slowMinTime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("open/sqlite3", with(openWithSqlite))
        ->MinTime(slowMinTime)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("compile/Criterion", compileCriterion)->MinTime(quickMinTime);
    benchmark::RegisterBenchmark("compile/QString_copy", copyCriterionText)->MinTime(quickMinTime);
}

const std::vector<bench::Comparison> comparisons{
    {"look-up by number", "lookup/FindFirst", "lookup/lower_bound", 3.0},
    {"keyword matching nothing", "scan/FindFirst", "scan/memmem", 4.0},
    {"  same, first scan after start-up", "scan/FindFirst_after_start", "scan/memmem", 4.0},
    {"find-next sweep, 1 in 10 matches", "sweep/FindNext", "sweep/memmem", 4.0},
    {"open and read collection", "open/OpenRecordset", "open/sqlite3", 1.5},
    {"compile keyword criterion", "compile/Criterion", "compile/QString_copy", std::nullopt},
};

} // namespace

int main(int argc, char** argv) {
    if (!bench::takeArguments(argc, argv))
        return EXIT_FAILURE;
    Workload workload;
    registerBenchmarks(workload);
    bench::runAndSummarise("database layer, 32767 messages", comparisons);
    return EXIT_SUCCESS;
}
