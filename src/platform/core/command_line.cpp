#include "platform/core/command_line.h"

#include "platform/core/file_names.h"
#include "platform/core/runtime_error.h"

#include <QByteArray>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <limits>

namespace core {

namespace {

const OptionSpec help{u'h', QStringLiteral("help")};
const OptionSpec version{u'V', QStringLiteral("version")};

void printLine(const QString& text) {
    std::fputs((text + u'\n').toUtf8().constData(), stderr);
}

} // namespace

CommandFailure::CommandFailure(CommandStatus status, const QString& reason)
    : std::runtime_error(reason.toStdString()), m_status(status), m_reason(reason) {}

void refuseUsage(const QString& problem) {
    throw CommandFailure(Usage, problem);
}

void failCommand(const QString& reason) {
    throw CommandFailure(Failure, reason);
}

bool CommandArguments::has(QStringView name) const {
    for (const GivenOption& option : options)
        if (option.name == name)
            return true;
    return false;
}

std::optional<std::int64_t> wholeNumber(QStringView text) {
    text = text.trimmed();
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.mid(1);
    if (text.isEmpty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const QChar character : text) {
        const char16_t digit = character.unicode();
        if (digit < u'0' || digit > u'9' ||
            value > (std::numeric_limits<std::int64_t>::max() - (digit - u'0')) / 10)
            return std::nullopt;
        value = value * 10 + (digit - u'0');
    }
    return negative ? -value : value;
}

CommandLine::CommandLine(QString program, QList<OptionSpec> options, Foreign foreign)
    : m_program(std::move(program)), m_options(std::move(options)), m_foreign(std::move(foreign)) {
    m_options << help << version;
}

QStringList CommandLine::argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << fileNameFromBytes(QByteArrayView(argv[i]));
    return arguments;
}

const OptionSpec& CommandLine::optionNamed(const QString& name, const QString& spelled) const {
    const OptionSpec* found = nullptr;
    for (const OptionSpec& option : m_options) {
        if (option.longName == name)
            return option;
        if (!name.isEmpty() && option.longName.startsWith(name)) {
            if (found)
                refuseUsage(QStringLiteral("a opção \"%1\" é ambígua: pode ser --%2 ou --%3.")
                                .arg(displayable(spelled), found->longName, option.longName));
            found = &option;
        }
    }
    if (!found)
        refuseUsage(QStringLiteral("opção desconhecida: \"%1\".").arg(displayable(spelled)));
    return *found;
}

const OptionSpec& CommandLine::optionLettered(QChar letter) const {
    for (const OptionSpec& option : m_options)
        if (!option.shortName.isNull() && option.shortName == letter)
            return option;
    refuseUsage(QStringLiteral("opção desconhecida: \"-%1\".").arg(displayable(QString(letter))));
}

CommandArguments CommandLine::read(const QStringList& arguments) const {
    CommandArguments read;
    const auto valueAfter = [&](qsizetype& i, const QString& spelled) {
        if (i + 1 >= arguments.size())
            refuseUsage(QStringLiteral("falta o valor da opção %1.").arg(spelled));
        return arguments[++i];
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (const qsizetype taken = m_foreign ? m_foreign(arguments, i) : 0; taken > 0) {
            i += taken - 1;
        } else if (argument == u"--") {
            read.operands << arguments.mid(i + 1);
            break;
        } else if (argument.startsWith(u"--")) {
            const qsizetype equals = argument.indexOf(u'=');
            const OptionSpec& option =
                optionNamed(argument.mid(2, equals < 0 ? -1 : equals - 2), argument);
            const QString spelled = QStringLiteral("--") + option.longName;
            if (!option.takesValue && equals >= 0)
                refuseUsage(QStringLiteral("a opção %1 não leva valor.").arg(spelled));
            const QString value = !option.takesValue ? QString()
                                  : equals >= 0      ? argument.mid(equals + 1)
                                                     : valueAfter(i, spelled);
            read.options.append({option.longName, spelled, value});
        } else if (argument.startsWith(u'-') && argument.size() > 1) {
            for (qsizetype letter = 1; letter < argument.size(); ++letter) {
                const OptionSpec& option = optionLettered(argument[letter]);
                const QString spelled = QStringLiteral("-") + argument[letter];
                if (!option.takesValue) {
                    read.options.append({option.longName, spelled, {}});
                    continue;
                }
                const QString value = letter + 1 < argument.size() ? argument.mid(letter + 1)
                                                                   : valueAfter(i, spelled);
                read.options.append({option.longName, spelled, value});
                break;
            }
        } else {
            read.operands << argument;
        }
    }
    return read;
}

int CommandLine::dispatch(CommandArguments arguments, const QList<Subcommand>& subcommands) const {
    if (arguments.operands.isEmpty())
        refuseUsage(QStringLiteral("falta o comando."));
    const QString name = arguments.operands.takeFirst();
    for (const Subcommand& subcommand : subcommands) {
        if (subcommand.name != name)
            continue;
        const qsizetype count = arguments.operands.size();
        if (count < subcommand.fewest || (subcommand.most >= 0 && count > subcommand.most))
            refuseUsage(QStringLiteral("número errado de argumentos para \"%1\".").arg(name));
        return subcommand.run(arguments);
    }
    refuseUsage(QStringLiteral("comando desconhecido: \"%1\".").arg(displayable(name)));
}

int CommandLine::answer(const QString& text) const {
    // A closed pipe is an error to report, not a signal that ends the program unannounced.
    std::signal(SIGPIPE, SIG_IGN);
    CheckedOutput out(stdout);
    out.write(text);
    return finish(out);
}

int CommandLine::finish(CheckedOutput& out) const {
    if (out.finish())
        return Success;
    if (out.readerGone())
        return ReaderGone;
    tell(QStringLiteral("a saída não foi escrita por inteiro: %1.").arg(out.failure()));
    return Failure;
}

int CommandLine::run(const std::function<int()>& command) const {
    try {
        return command();
    } catch (const CommandFailure& failure) {
        tell(failure.reason());
        if (failure.status() == Usage)
            tell(QStringLiteral("use \"%1 --help\" para ver as opções.").arg(m_program));
        return failure.status();
    } catch (const RuntimeError& error) {
        tell(QStringLiteral("Erro em tempo de execução '%1': %2")
                 .arg(error.number())
                 .arg(error.description().simplified()));
        return Failure;
    }
}

void CommandLine::tell(const QString& line) const {
    printLine(m_program + QStringLiteral(": ") + line);
}

} // namespace core
