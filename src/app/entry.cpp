#include "app/entry.h"

#include "app/process.h"
#include "data/collection_loader.h"
#include "platform/core/file_names.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/qt_services.h"
#include "windows/principal.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

namespace {

// Qt's own texts (the OK of a message box, a text box's context menu) in Portuguese, when
// Qt's translations are installed; the program's own texts are Portuguese already.
void loadQtTranslations(QApplication& application, QTranslator& translator) {
    const QLocale brazilian(QLocale::Portuguese, QLocale::Brazil);
    if (translator.load(brazilian, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&translator);
}

// Reading the collections takes longer than Qt takes to start, so it begins first, on a worker
// thread, and the main window's load takes each collection at its own step. Without a directory
// known before Qt starts, the main window reads them itself.
std::unique_ptr<data::CollectionLoader> readCollections(const QString& directory) {
    if (directory.isEmpty())
        return nullptr;
    return std::make_unique<data::CollectionLoader>(directory);
}

} // namespace

int run(int argc, char** argv, const EntryOptions& options) {
    prepareProcess();
    const QString knownDirectory = options.programDirectory.isEmpty()
                                       ? core::runningProgramDirectory()
                                       : options.programDirectory;
    std::unique_ptr<data::CollectionLoader> collections = readCollections(knownDirectory);
    WindowSystemCheck windowSystem(argc, argv);
    QApplication application(argc, argv);
    windowSystem.started();
    QApplication::setApplicationName(QStringLiteral("Quelmar de Orivela"));
    QApplication::setApplicationVersion(QStringLiteral(QUELMAR_VERSION));
    QApplication::setWindowIcon(toolkit::iconOf(u"icone_principal.png"));
    // Names the installed menu entry, so that a Wayland desktop shows the program's windows
    // under that entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUELMAR_APP_ID));
    // Closing the main window ends the program through its own handler, with its own status.
    QApplication::setQuitOnLastWindowClosed(false);
    QTranslator translator;
    loadQtTranslations(application, translator);

    toolkit::QtServices services;
    // Qt's own answer is empty when the path is not valid UTF-8, and the files would be looked
    // for at the root: it only stands in when the system did not say.
    toolkit::Program program(services, knownDirectory.isEmpty()
                                           ? QCoreApplication::applicationDirPath()
                                           : knownDirectory);
    windows::frmPrincipal::readCollectionsAhead(program, std::move(collections));
    if (!program.start<windows::frmPrincipal>())
        return program.exitStatus();
    if (options.whenShown)
        options.whenShown(*program.loadedForm<windows::frmPrincipal>());
    const int status = QApplication::exec();
    return program.ended() ? program.exitStatus() : status;
}

} // namespace app
