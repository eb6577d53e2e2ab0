#pragma once

#include "platform/toolkit/program.h"
#include "support/recording_services.h"
#include "support/scratch_database.h"
#include "windows/principal.h"

#include <QStringList>
#include <vector>

// A program directory with both collections and the options file, built for one test.
struct ProgramFiles {
    std::vector<QString> quelmar = {
        QStringLiteral("Q1"), QStringLiteral("Q2"), QStringLiteral("Q3"), QStringLiteral("Q4"),
        QStringLiteral("Q5"), QStringLiteral("Q6"), QStringLiteral("Q7")};
    std::vector<QString> tarvenas = {QStringLiteral("T1"), QStringLiteral("T2"),
                                     QStringLiteral("T3"), QStringLiteral("T4")};
    // Literal SQL values of the options row.
    QString iniCom = QStringLiteral("1");
    QString segTem = QStringLiteral("15");
    QString comTem = QStringLiteral("1");

    void writeTo(const ScratchDirectory& directory) const;
};

// The program started in-process on a directory, with recording services.
class ProgramRun {
public:
    explicit ProgramRun(const QString& directory);
    ~ProgramRun();

    // Loads and shows the main window; false when start-up ended the program.
    bool start();
    windows::frmPrincipal& main();

    // Presses the main window's `button` and returns the window it opens; ends the test program
    // when it opens none.
    template <typename Window> Window& open(std::u16string_view button) {
        main().button(button).click();
        Window* window = program.loadedForm<Window>();
        if (window == nullptr)
            qFatal("the button %s opened no window", qPrintable(QStringView(button).toString()));
        return *window;
    }

    // The last error box's text, empty when none was shown.
    QString lastBox() const;

    RecordingServices services;
    toolkit::Program program;
};

// A run on a scratch program directory of its own, written from `files`.
class ProgramOnDisk {
public:
    explicit ProgramOnDisk(const ProgramFiles& files = {});

    ScratchDirectory directory;
    ProgramRun run;
};
