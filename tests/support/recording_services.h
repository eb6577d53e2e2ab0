#pragma once

#include "platform/toolkit/services.h"

#include <QString>
#include <vector>

// Services that show nothing and draw numbers the test chooses, remembering what was asked.
class RecordingServices : public toolkit::Services {
public:
    struct Box {
        QString prompt;
        int style = 0;
        QString title;
    };
    struct Command {
        QString line;
        int windowStyle = 0;
        toolkit::LaunchFailed failedLater; // what a launcher that fails after starting calls
    };

    void messageBox(const QString& prompt, int style, const QString& title) override;
    void printError(const QString& line) override { errorLines.push_back(line); }
    void reseedRandom() override { ++reseeds; }
    // The chosen numbers in turn, starting over after the last; 0 when none were chosen.
    float nextRandom() override;
    void endProgram(int status) override { endings.push_back(status); }
    // Remembers the command line and answers with shellFailure.
    toolkit::Failure runStartCommand(const QString& commandLine, int windowStyle,
                                     toolkit::LaunchFailed failedLater) override;
    // Prints into the PDF file printTo, as the real printer would be given the page.
    toolkit::Failure printPage(QWidget& page) override;

    void drawNext(std::vector<float> values);

    std::vector<Box> boxes;
    std::vector<QString> errorLines;
    std::vector<int> endings;
    int reseeds = 0;
    int draws = 0;
    std::vector<Command> commands;
    toolkit::Failure shellFailure;
    QString printTo;
    int prints = 0;

private:
    std::vector<float> m_values;
    std::size_t m_next = 0;
};
