#include "colecoes/building.h"

#include "colecoes/collection_file.h"
#include "data/fortune.h"
#include "platform/core/command_line.h"
#include "platform/core/file_names.h"
#include "platform/core/system_errors.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace colecoes {

namespace {

void printError(const QString& line) {
    std::fputs((line + u'\n').toUtf8().constData(), stderr);
}

std::optional<struct stat> statOf(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return info;
}

// The fortune text files of a folder, with a word for strfile's indexes left out.
QStringList textFilesIn(const QString& folder, QStringList& warnings) {
    int indexes = 0;
    const QStringList files = data::fortuneFilesIn(folder, &indexes);
    if (indexes > 0)
        warnings << QStringLiteral("%1: aviso: %2 arquivo(s) .dat ou .u8 (índices do strfile) "
                                   "ignorado(s)")
                        .arg(core::displayable(folder))
                        .arg(indexes);
    return files;
}

[[noreturn]] void notCreated(const BuildRequest& request, const QString& reason) {
    core::failCommand(QStringLiteral("a coleção \"%1\" não foi criada: %2")
                          .arg(core::displayable(request.output), reason));
}

// A source that cannot seek (a pipe) is read into memory once, within the size limit, so that
// "auto" can look at it before reading it. Opened by its bytes, so that any name can be read.
std::unique_ptr<QIODevice> openSource(const BuildRequest& request, const QString& path) {
    const int descriptor = ::open(core::bytesOfFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        notCreated(request, QStringLiteral("não foi possível ler \"%1\": %2")
                                .arg(core::displayable(path), core::systemErrorText(errno)));
    auto file = std::make_unique<QFile>();
    file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (!file->isSequential())
        return file;
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(file->read(data::largestSourceBytes + 1));
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

// Regular files are measured before anything is read.
void refuseLargeSources(const BuildRequest& request, const QStringList& sources) {
    qint64 total = 0;
    for (const QString& source : sources)
        if (const auto info = statOf(core::bytesOfFileName(source)); info && S_ISREG(info->st_mode))
            total += info->st_size;
    if (total > data::largestSourceBytes)
        notCreated(request, data::sourcesTooLarge(total));
}

void printReports(const std::vector<data::SourceError>& reports, const QString& kind) {
    for (const data::SourceError& report : reports)
        printError(QStringLiteral("%1:%2: %3%4")
                       .arg(report.source, QString::number(report.line), kind, report.reason));
}

} // namespace

SourceFiles sourceFiles(const QStringList& given) {
    SourceFiles result;
    for (const QString& source : given) {
        const QByteArray bytes = core::bytesOfFileName(source);
        const std::optional<struct stat> info = statOf(bytes);
        if (info && S_ISDIR(info->st_mode)) {
            const QStringList files = textFilesIn(source, result.warnings);
            if (files.isEmpty() && result.problem.isEmpty())
                result.problem = QStringLiteral("a pasta \"%1\" não tem nenhum arquivo de texto")
                                     .arg(core::displayable(source));
            result.files << files;
        } else if (data::isStrfileIndex(source) &&
                   statOf(bytes.left(bytes.lastIndexOf('.'))).has_value()) {
            result.warnings << QStringLiteral("%1: aviso: índice do strfile, ignorado")
                                   .arg(core::displayable(source));
        } else {
            result.files << source;
        }
    }
    return result;
}

int buildCollection(const BuildRequest& request) {
    const SourceFiles sources = sourceFiles(request.sources);
    for (const QString& warning : sources.warnings)
        printError(warning);
    if (!sources.problem.isEmpty())
        notCreated(request, sources.problem);
    if (auto refusal = outputRefusal(request.output, sources.files))
        notCreated(request, *refusal);
    refuseLargeSources(request, sources.files);
    CollectionBuilder builder(request.output, request.table);
    if (const QString problem = builder.start(); !problem.isEmpty())
        notCreated(request, problem);
    data::SourceReader reader([&builder](std::string_view text) { builder.add(text); });
    for (const QString& path : sources.files) {
        const std::unique_ptr<QIODevice> source = openSource(request, path);
        reader.read(*source, core::displayable(path),
                    data::resolveEncoding(request.encoding, *source));
    }
    printReports(reader.warnings(), QStringLiteral("aviso: "));
    printReports(reader.errors(), QString());
    if (reader.errorsLeftOut() > 0)
        printError(QStringLiteral("... e mais %1 problema(s).").arg(reader.errorsLeftOut()));
    if (reader.failed())
        core::failCommand(QStringLiteral("a coleção \"%1\" não foi criada.")
                              .arg(core::displayable(request.output)));
    if (const QString problem = builder.finish(); !problem.isEmpty())
        notCreated(request, problem);
    return reader.messageCount();
}

} // namespace colecoes
