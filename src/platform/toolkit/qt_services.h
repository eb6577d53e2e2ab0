#pragma once

#include "platform/core/random_source.h"
#include "platform/toolkit/services.h"

namespace toolkit {

// The services on a real desktop: Qt's message boxes, the clock, the desktop's launcher, the
// default printer, the event loop.
class QtServices : public Services {
public:
    void messageBox(const QString& prompt, int style, const QString& title) override;
    void printError(const QString& line) override;
    void reseedRandom() override;
    float nextRandom() override;
    Failure runStartCommand(const QString& commandLine, int windowStyle,
                            LaunchFailed failedLater) override;
    Failure printPage(QWidget& page) override;
    void endProgram(int status) override;

private:
    core::ClockRandom m_random;
};

} // namespace toolkit
