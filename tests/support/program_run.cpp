#include "support/program_run.h"

#include "data/collection_loader.h"

#include <QCoreApplication>
#include <QTest>

void ProgramFiles::writeTo(const ScratchDirectory& directory) const {
    makeCollection(directory.file(QStringLiteral("quelmar.mdb")), QStringLiteral("QuelmarOrivela"),
                   quelmar);
    makeCollection(directory.file(QStringLiteral("tarvenas.mdb")), QStringLiteral("Tarvenas_tab"),
                   tarvenas);
    makeOptions(directory.file(QStringLiteral("opcoes")), iniCom, segTem, comTem);
}

ProgramRun::ProgramRun(const QString& directory) : program(services, directory) {}

ProgramRun::~ProgramRun() = default;

// The collections are read ahead, as the program does while Qt starts.
bool ProgramRun::start() {
    windows::frmPrincipal::readCollectionsAhead(
        program, std::make_unique<data::CollectionLoader>(program.path()));
    return program.start<windows::frmPrincipal>();
}

windows::frmPrincipal& ProgramRun::main() {
    auto* window = program.loadedForm<windows::frmPrincipal>();
    if (window == nullptr)
        qFatal("the main window is not loaded");
    return *window;
}

QString ProgramRun::lastBox() const {
    return services.boxes.empty() ? QString() : services.boxes.back().prompt;
}

namespace {

QString written(const ScratchDirectory& directory, const ProgramFiles& files) {
    files.writeTo(directory);
    return directory.path();
}

} // namespace

ProgramOnDisk::ProgramOnDisk(const ProgramFiles& files) : run(written(directory, files)) {}
