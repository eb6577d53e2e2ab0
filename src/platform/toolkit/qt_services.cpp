#include "platform/toolkit/qt_services.h"

#include "platform/core/file_names.h"
#include "platform/toolkit/printing.h"
#include "platform/toolkit/shell.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <cstdio>

namespace toolkit {

namespace {

QMessageBox::Icon iconFor(int style) {
    switch (style & 0x70) {
    case 16:
        return QMessageBox::Critical;
    case 32:
        return QMessageBox::Question;
    case 48:
        return QMessageBox::Warning;
    case 64:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

void QtServices::messageBox(const QString& prompt, int style, const QString& title) {
    // A file name may hold bytes that are no text; they show as U+FFFD.
    QMessageBox box(iconFor(style), title, core::displayable(prompt), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.exec();
}

void QtServices::printError(const QString& line) {
    const QByteArray bytes = core::displayable(line).toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void QtServices::reseedRandom() {
    m_random.reseedFromClock();
}

float QtServices::nextRandom() {
    return m_random.next();
}

// The desktop's launcher places the program it starts as it always does; no window style can be
// asked of it.
Failure QtServices::runStartCommand(const QString& commandLine, int, LaunchFailed failedLater) {
    return toolkit::runStartCommand(commandLine, std::move(failedLater));
}

Failure QtServices::printPage(QWidget& page) {
    return printOnDefaultPrinter(page);
}

void QtServices::endProgram(int status) {
    QCoreApplication::exit(status);
}

} // namespace toolkit
