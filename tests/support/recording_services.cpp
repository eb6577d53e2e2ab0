#include "support/recording_services.h"

#include "platform/toolkit/printing.h"

#include <QPrinter>

void RecordingServices::messageBox(const QString& prompt, int style, const QString& title) {
    boxes.push_back({prompt, style, title});
}

float RecordingServices::nextRandom() {
    ++draws;
    if (m_values.empty())
        return 0.0f;
    const float value = m_values[m_next % m_values.size()];
    ++m_next;
    return value;
}

void RecordingServices::drawNext(std::vector<float> values) {
    m_values = std::move(values);
    m_next = 0;
}

toolkit::Failure RecordingServices::runStartCommand(const QString& commandLine, int windowStyle,
                                                    toolkit::LaunchFailed failedLater) {
    commands.push_back({commandLine, windowStyle, std::move(failedLater)});
    return shellFailure;
}

toolkit::Failure RecordingServices::printPage(QWidget& page) {
    ++prints;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printTo);
    return toolkit::printPage(page, printer);
}
