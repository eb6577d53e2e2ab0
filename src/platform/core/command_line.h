#pragma once

#include "platform/core/standard_streams.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>

// The one way the commands read their arguments and give their answers, as GNU programs do:
// "-n 12", "-n12", "--numero 12", "--numero=12", "--num 12" (a unique prefix), flags together
// ("-qd"), "--" before anything that is not an option; --help/-h and --version/-V always known.
// A command is a list of options and a function; a new option is one more line in the list.
namespace core {

enum CommandStatus : int { Success = 0, Failure = 1, Usage = 2, ReaderGone = 128 + 13 };

// How a command stops early: a failure in one line on stderr with its status. Usage errors
// add the hint to --help.
class CommandFailure : public std::runtime_error {
public:
    CommandFailure(CommandStatus status, const QString& reason);
    CommandStatus status() const { return m_status; }
    const QString& reason() const { return m_reason; }

private:
    CommandStatus m_status;
    QString m_reason;
};

[[noreturn]] void refuseUsage(const QString& problem);
[[noreturn]] void failCommand(const QString& reason);

struct OptionSpec {
    QChar shortName; // null when the option has no short form
    QString longName;
    bool takesValue = false;
};

// One option as the user wrote it: its long name, how it was spelled, its value.
struct GivenOption {
    QString name;
    QString spelled;
    QString value;
};

struct CommandArguments {
    QList<GivenOption> options;
    QStringList operands; // file names keep their bytes (see file_names.h)

    bool has(QStringView name) const;
};

// A whole decimal number, blanks around it allowed; nothing when the text is anything else or
// does not fit.
std::optional<std::int64_t> wholeNumber(QStringView text);

// A command of a program that has several ("criar SAIDA TABELA FONTE..."): its name, how many
// operands it takes after its name (most < 0: no limit) and what runs it, given those operands.
struct Subcommand {
    QString name;
    qsizetype fewest = 0;
    qsizetype most = 0;
    std::function<int(const CommandArguments& arguments)> run;
};

class CommandLine {
public:
    // Arguments another reader takes (the toolkit's own): how many from `index` on, or 0.
    using Foreign = std::function<qsizetype(const QStringList& arguments, qsizetype index)>;

    CommandLine(QString program, QList<OptionSpec> options, Foreign foreign = {});

    const QString& program() const { return m_program; }

    // The arguments after the program's name, file names with their bytes kept.
    static QStringList argumentsOf(int argc, char** argv);

    // Every option in order and the operands; raises a usage failure for an unknown, ambiguous
    // or malformed option.
    CommandArguments read(const QStringList& arguments) const;

    // Runs the subcommand the first operand names with the operands after it; raises a usage
    // failure for a missing or unknown command or the wrong number of operands.
    int dispatch(CommandArguments arguments, const QList<Subcommand>& subcommands) const;

    // Writes `text` to stdout through the one checked path and says how it went.
    int answer(const QString& text) const;
    // 0 when everything written to `out` reached its reader; ReaderGone, silently, when the
    // reader went away (as a pipe closed by "head" ends any command); otherwise one line on
    // stderr and 1.
    int finish(CheckedOutput& out) const;

    // Runs `command`, turning a CommandFailure and the program's run-time error into their
    // lines on stderr and their status.
    int run(const std::function<int()>& command) const;

    // One line on stderr, after the program's name.
    void tell(const QString& line) const;

private:
    const OptionSpec& optionNamed(const QString& name, const QString& spelled) const;
    const OptionSpec& optionLettered(QChar letter) const;

    QString m_program;
    QList<OptionSpec> m_options;
    Foreign m_foreign;
};

} // namespace core
