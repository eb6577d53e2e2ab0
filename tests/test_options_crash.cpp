// The options write against a crash. A writer process (options_crash_writer) presses the Options
// window's "Ok" over and over, alternating two sets of choices, and is killed with SIGKILL after
// a random pause. After each kill the options file must hold exactly one row, the one from before
// a write or the one from after it, pass SQLite's integrity check, and start the program again
// with the timer and the collection that row says. A kill inside a write leaves SQLite's rollback
// journal beside the file; the program's own open must roll it back.
//
// The pauses come from a seed printed at the start; QUELMAR_CRASH_SEED=N repeats them. By default
// the test runs 60 rounds or as many as fit in 7 seconds, so that a loaded machine runs fewer
// rather than holding up the suite, but goes on (for at most 60 seconds) until some kill has
// caught a write half done and some round has found a written row; QUELMAR_CRASH_ROUNDS=N runs
// exactly N. The exact moment of
// each kill still depends on the machine, so a seed repeats a run's shape, not its every kill.

#include "support/program_run.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;
using windows::frmPrincipal;

namespace {

// A row the file may hold, as quote() shows each field, and what the program makes of it.
struct KnownRow {
    const char* name;
    QString stored;
    std::int32_t interval;
    bool timerOn;
    bool firstCollection;
};

// The row the file starts each round with differs from both rows the writer stores, and none of
// the three can be pieced together from fields of the others.
const std::array<KnownRow, 3> knownRows{{
    {"before the writer", u"2/30.0/1"_s, 30000, true, false},
    {"A (first collection, 15 s, on)", u"1/15.0/1"_s, 15000, true, true},
    {"B (second collection, 99 s, off)", u"2/99.0/0"_s, 99000, false, false},
}};

// Every row of the table, so that a second row shows up as well as a changed one.
const QString storedRowsQuery =
    u"SELECT group_concat(quote(IniCom) || '/' || quote(SegTem) || '/' || quote(ComTem), ';') "
    "FROM opcoes"_s;

constexpr int defaultRounds = 60;
constexpr qint64 defaultBudgetMilliseconds = 7000;
// On a loaded machine the few rounds that fit in the budget may all kill between two writes.
constexpr qint64 evidenceBudgetMilliseconds = 60'000;
// Longer than a write or two, so that kills fall at every point of the writer's loop.
constexpr int longestPauseMicroseconds = 60'000;
constexpr int writerStartMilliseconds = 30'000;

quint32 environmentNumber(const char* name, quint32 otherwise) {
    bool ok = false;
    const quint32 value = qEnvironmentVariable(name).toUInt(&ok);
    return ok ? value : otherwise;
}

struct RoundPlan {
    int rounds = defaultRounds;
    qint64 budgetMilliseconds = defaultBudgetMilliseconds;
};

// Rounds up to a time budget, so that a loaded machine runs fewer rather than holding up the
// suite; a number of rounds asked for is run in full.
RoundPlan roundPlan() {
    if (!qEnvironmentVariableIsSet("QUELMAR_CRASH_ROUNDS"))
        return {};
    return {static_cast<int>(environmentNumber("QUELMAR_CRASH_ROUNDS", 0)),
            std::numeric_limits<qint64>::max()};
}

// The first bytes of a rollback journal that still holds pages to put back.
bool isHotJournal(const QString& path) {
    QFile journal(path);
    static const QByteArray magic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
    return journal.open(QIODevice::ReadOnly) && journal.read(magic.size()) == magic;
}

// The writer process, its stdout on a pipe and its stderr in a file.
class Writer {
public:
    Writer(const QString& directory, const QString& errorLog) {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            qFatal("pipe: %s", std::strerror(errno));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        const QByteArray log = errorLog.toLocal8Bit();
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.constData(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QByteArray program(QUELMAR_OPTIONS_WRITER);
        QByteArray argument = directory.toLocal8Bit();
        char* argv[] = {program.data(), argument.data(), nullptr};
        const int rc = posix_spawn(&m_pid, program.constData(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        m_out = ends[0];
        if (rc != 0)
            qFatal("cannot start %s: %s", program.constData(), std::strerror(rc));
    }

    ~Writer() {
        if (m_pid > 0)
            killAndReap();
        close(m_out);
    }

    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Waits for the line that says the writes have begun; false when the writer ends or hangs.
    bool waitUntilWriting() {
        QElapsedTimer clock;
        clock.start();
        QByteArray line;
        while (!line.contains('\n')) {
            pollfd ready{m_out, POLLIN, 0};
            const int left = writerStartMilliseconds - static_cast<int>(clock.elapsed());
            char buffer[64];
            if (left <= 0 || poll(&ready, 1, left) <= 0)
                return false;
            const ssize_t got = read(m_out, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            line.append(buffer, got);
        }
        return true;
    }

    // SIGKILL; empty when the kill is what ended the writer, else how it did end.
    QString killAndReap() {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        if (WIFSIGNALED(status))
            return WTERMSIG(status) == SIGKILL ? QString() : u"signal %1"_s.arg(WTERMSIG(status));
        return u"its own exit, status %1"_s.arg(WEXITSTATUS(status));
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
};

// What the program shows when started on the directory after a kill.
struct Restart {
    bool started = false;
    QString box;
    std::int32_t interval = 0;
    bool timerOn = false;
    bool firstCollection = false;
    bool journalStillHot = false;
};

Restart restartProgram(const QString& directory, const QString& journal) {
    ProgramRun run(directory);
    Restart restart;
    restart.started = run.start();
    restart.box = run.lastBox();
    restart.journalStillHot = isHotJournal(journal);
    if (!restart.started)
        return restart;
    frmPrincipal& main = run.main();
    restart.interval = main.timer(u"tmpTimer").Interval();
    restart.timerOn = main.timer(u"tmpTimer").Enabled();
    restart.firstCollection = main.currentCollection() == main.firstCollection();
    return restart;
}

const KnownRow* knownRow(const QString& stored) {
    for (const KnownRow& row : knownRows)
        if (row.stored == stored)
            return &row;
    return nullptr;
}

// One program directory, reset to the same options file before every round.
class CrashRounds {
public:
    explicit CrashRounds(quint32 seed) : m_random(seed) {
        ProgramFiles files;
        files.iniCom = u"2"_s;
        files.segTem = u"30"_s;
        files.comTem = u"1"_s;
        files.writeTo(m_directory);
        m_freshOptions = contentOf(options());
    }

    // Kills one writer; what went wrong, or nothing.
    QString round() {
        QFile::remove(journal());
        replaceContent(options(), m_freshOptions);
        m_pause = static_cast<int>(m_random.bounded(longestPauseMicroseconds + 1));
        {
            Writer writer(m_directory.path(), m_directory.file(u"writer-stderr"_s));
            if (!writer.waitUntilWriting())
                return u"the writer did not start writing: "_s + writerErrors();
            std::this_thread::sleep_for(std::chrono::microseconds(m_pause));
            if (const QString ending = writer.killAndReap(); !ending.isEmpty())
                return u"the writer ended by %1 before the kill: "_s.arg(ending) + writerErrors();
        }
        m_afterKill = contentOf(options());
        m_journalAfterKill = contentOf(journal());
        m_journalLeft += QFile::exists(journal()) ? 1 : 0;
        m_hotJournals += isHotJournal(journal()) ? 1 : 0;
        return checkRecovery();
    }

    // Copies the files as the kill left them where they outlive the test; says where.
    QString keepEvidence(quint32 seed, int round) const {
        const QString kept =
            QDir::temp().filePath(u"quelmar-options-crash-%1-%2"_s.arg(seed).arg(round));
        QDir().mkpath(kept);
        replaceContent(kept + u"/opcoes"_s, m_afterKill);
        if (!m_journalAfterKill.isEmpty())
            replaceContent(kept + u"/opcoes-journal"_s, m_journalAfterKill);
        return u"pause %1 µs; the files as the kill left them are in %2"_s.arg(m_pause).arg(kept);
    }

    QString summary() const {
        QString found;
        for (std::size_t i = 0; i < knownRows.size(); ++i)
            found += u", %1: %2"_s.arg(QLatin1StringView(knownRows[i].name)).arg(m_found[i]);
        return u"kills with a journal left: %1, with a hot journal to roll back: %2; rows found%3"_s
            .arg(m_journalLeft)
            .arg(m_hotJournals)
            .arg(found);
    }

    int hotJournals() const { return m_hotJournals; }
    // Rounds that ended with a row the writer stored, rather than the one it started from.
    int writtenRowsFound() const { return m_found[1] + m_found[2]; }

private:
    QString options() const { return m_directory.file(u"opcoes"_s); }
    QString journal() const { return m_directory.file(u"opcoes-journal"_s); }

    QString writerErrors() const {
        return QString::fromLocal8Bit(contentOf(m_directory.file(u"writer-stderr"_s)));
    }

    // The program starts first, as the user would start it, so that its open is what rolls back
    // a hot journal; the file is read afterwards through a connection of its own.
    QString checkRecovery() {
        const Restart restart = restartProgram(m_directory.path(), journal());
        if (!restart.started)
            return u"the program did not start again: "_s + restart.box;
        if (restart.journalStillHot)
            return u"the program started without rolling back the hot journal"_s;
        const QString integrity = queryText(options(), u"PRAGMA integrity_check"_s);
        if (integrity != u"ok"_s)
            return u"integrity check: "_s + integrity;
        const QString stored = queryText(options(), storedRowsQuery);
        const KnownRow* row = knownRow(stored);
        if (row == nullptr)
            return u"the options table holds \"%1\", which no write ever stored"_s.arg(stored);
        ++m_found[row - knownRows.data()];
        if (restart.interval != row->interval || restart.timerOn != row->timerOn ||
            restart.firstCollection != row->firstCollection)
            return u"the program started with timer %1 ms %2 and the %3 collection, not as \"%4\" "
                   "says"_s.arg(restart.interval)
                       .arg(restart.timerOn ? u"on" : u"off")
                       .arg(restart.firstCollection ? u"first" : u"second")
                       .arg(stored);
        return {};
    }

    ScratchDirectory m_directory;
    QByteArray m_freshOptions;
    QRandomGenerator m_random;
    int m_pause = 0;
    QByteArray m_afterKill;
    QByteArray m_journalAfterKill;
    int m_journalLeft = 0;
    int m_hotJournals = 0;
    std::array<int, knownRows.size()> m_found{};
};

} // namespace

class TestOptionsCrash : public QObject {
    Q_OBJECT

private slots:
    void killedWriteLeavesOldOrNewRow() {
        const quint32 seed =
            environmentNumber("QUELMAR_CRASH_SEED", QRandomGenerator::system()->generate());
        const RoundPlan plan = roundPlan();
        qInfo("seed %u (QUELMAR_CRASH_SEED=%u repeats the pauses)", seed, seed);
        CrashRounds crash(seed);
        QElapsedTimer clock;
        clock.start();
        int round = 0;
        const auto goOn = [&] {
            if (round >= plan.rounds)
                return false;
            if (clock.elapsed() < plan.budgetMilliseconds)
                return true;
            const bool evidence = crash.writtenRowsFound() > 0 && crash.hotJournals() > 0;
            return !evidence && clock.elapsed() < evidenceBudgetMilliseconds;
        };
        while (goOn()) {
            ++round;
            if (const QString problem = crash.round(); !problem.isEmpty())
                QFAIL(qPrintable(u"round %1 of seed %2: %3\n%4"_s.arg(round).arg(seed).arg(
                    problem, crash.keepEvidence(seed, round))));
        }
        qInfo("%d rounds in %.1f s; %s", round, clock.elapsed() / 1000.0,
              qPrintable(crash.summary()));
        // Without these the rounds would prove nothing: some write must have been committed, and
        // some kill must have caught one half done.
        QVERIFY2(crash.writtenRowsFound() > 0, "no round found a row the writer stored");
        QVERIFY2(crash.hotJournals() > 0,
                 "no kill caught a write with its journal ready to roll back");
    }
};

QTEST_MAIN(TestOptionsCrash)
#include "test_options_crash.moc"
