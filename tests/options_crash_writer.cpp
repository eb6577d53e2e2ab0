// The writer that test_options_crash kills: the program, started in-process on the directory
// given as the one argument, has its Options window opened and confirmed with "Ok" over and over,
// the choices alternating between two sets that differ in every stored field. A line on stdout
// says the writing has begun; then it goes on until the process is killed. Anything that stops
// the writes ends it with status 2 and the reason on stderr, so the killer cannot mistake a
// writer that does nothing for one that always loses its last write.

#include "support/program_run.h"
#include "windows/opcoes.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

using windows::FrmOpçoes;

namespace {

[[noreturn]] void stop(const char* reason) {
    std::fprintf(stderr, "options_crash_writer: %s\n", reason);
    std::exit(2);
}

// The first collection, 15 seconds, timer on; or the second, 99 seconds, timer off.
void chooseAndConfirm(ProgramRun& run, bool first) {
    run.main().button(u"cmdOpcoes").click();
    FrmOpçoes* window = run.program.loadedForm<FrmOpçoes>();
    if (window == nullptr)
        stop("the Options window did not open");
    window->option(first ? u"Option1" : u"Option2").click();
    toolkit::CheckBox& timer = window->checkBox(u"Check1");
    if (timer.Value() != (first ? 1 : 0))
        timer.click();
    window->upDown(u"UpDown1").stepTo(first ? 15 : 99);
    window->button(u"cmdOKop").click();
    if (!run.services.boxes.empty())
        stop(qPrintable(run.lastBox()));
    if (run.program.loadedForm<FrmOpçoes>() != nullptr)
        stop("the Options window stayed open after Ok");
    // Unloaded windows are deleted by the event loop, which this loop stands in for.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2)
        stop("usage: options_crash_writer PROGRAM-DIRECTORY");
    ProgramRun run(QString::fromLocal8Bit(argv[1]));
    if (!run.start())
        stop(qPrintable(QStringLiteral("the program did not start: ") + run.lastBox()));
    std::puts("escrevendo");
    std::fflush(stdout);
    for (bool first = true;; first = !first)
        chooseAndConfirm(run, first);
}
