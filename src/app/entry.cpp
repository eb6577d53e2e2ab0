#include "app/entry.h"

#include "data/collection_loader.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/program.h"
#include "platform/toolkit/qt_services.h"
#include "windows/principal.h"

#include <QApplication>
#include <QFileInfo>
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

// The directory of the program file as Qt tells it once it has started, taken before: on Linux
// Qt follows /proc/self/exe to the real file. Empty when that cannot be done; the main window
// then reads the collections itself, as it also does if Qt names another directory.
QString programDirectoryBeforeQt() {
    const QFileInfo program(QStringLiteral("/proc/self/exe"));
    return program.isSymLink() ? QFileInfo(program.canonicalFilePath()).path() : QString();
}

// Reading the collections takes longer than Qt takes to start, so it begins first, on a worker
// thread, and the main window's load takes each collection at its own step.
std::unique_ptr<data::CollectionLoader> readCollections(const EntryOptions& options) {
    const QString directory =
        options.programDirectory.isEmpty() ? programDirectoryBeforeQt() : options.programDirectory;
    if (directory.isEmpty())
        return nullptr;
    return std::make_unique<data::CollectionLoader>(directory);
}

} // namespace

int run(int argc, char** argv, const EntryOptions& options) {
    std::unique_ptr<data::CollectionLoader> collections = readCollections(options);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelmar de Orivela"));
    QApplication::setApplicationVersion(QStringLiteral("3.0"));
    QApplication::setWindowIcon(toolkit::iconOf(u"icone_principal.png"));
    // Names the installed menu entry, so that a Wayland desktop shows the program's windows
    // under that entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUELMAR_APP_ID));
    // Closing the main window ends the program through its own handler, with its own status.
    QApplication::setQuitOnLastWindowClosed(false);
    QTranslator translator;
    loadQtTranslations(application, translator);

    toolkit::QtServices services;
    const QString directory = options.programDirectory.isEmpty()
                                  ? QCoreApplication::applicationDirPath()
                                  : options.programDirectory;
    toolkit::Program program(services, directory);
    windows::frmPrincipal::readCollectionsAhead(program, std::move(collections));
    if (!program.start<windows::frmPrincipal>())
        return program.exitStatus();
    if (options.whenShown)
        options.whenShown(*program.loadedForm<windows::frmPrincipal>());
    const int status = QApplication::exec();
    return program.ended() ? program.exitStatus() : status;
}

} // namespace app
