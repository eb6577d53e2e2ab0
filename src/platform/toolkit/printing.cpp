#include "platform/toolkit/printing.h"

#include "platform/core/system_errors.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include <QWidget>
#include <cerrno>
#include <cups/cups.h>

namespace toolkit {

using namespace Qt::StringLiterals;

namespace {

constexpr qreal layoutDotsPerInch = 96.0;

// Qt draws a widget straight onto a printer through a bitmap. A picture records the drawing
// instead, so that played back on the printer every text stays text.
QPicture recorded(QWidget& page) {
    QPicture picture;
    QPainter recorder(&picture);
    page.render(&recorder, QPoint(), QRegion(),
                QWidget::DrawWindowBackground | QWidget::DrawChildren);
    recorder.end();
    return picture;
}

QString printerName(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return printer.outputFileName();
    return printer.printerName();
}

// What the print server's answer means for the queue, in words for the user.
QString refusal(ipp_status_t status, const QString& serverText) {
    switch (status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return u"não está aceitando trabalhos."_s;
    case IPP_STATUS_ERROR_NOT_FOUND:
        return u"não existe no servidor de impressão."_s;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
        return u"não aceita trabalhos deste usuário."_s;
    // libcups reports a server it cannot reach as an internal error, with the system's reason.
    case IPP_STATUS_ERROR_INTERNAL:
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        return u"não pôde ser alcançada: o servidor de impressão não respondeu (%1)."_s.arg(
            serverText);
    default:
        return u"recusou o trabalho: %1"_s.arg(serverText);
    }
}

// libcups brings some twenty libraries with it (TLS, Kerberos, service discovery): loaded when a
// page is first submitted rather than when the program starts, they cost start-up nothing.
struct PrintServerLibrary {
    decltype(&cupsPrintFile2) printFile = nullptr;
    decltype(&cupsLastError) lastError = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;
    QString failure; // why it could not be loaded
};

PrintServerLibrary loadPrintServerLibrary() {
    QLibrary library(u"cups"_s, 2);
    PrintServerLibrary loaded;
    loaded.printFile =
        reinterpret_cast<decltype(&cupsPrintFile2)>(library.resolve("cupsPrintFile2"));
    loaded.lastError = reinterpret_cast<decltype(&cupsLastError)>(library.resolve("cupsLastError"));
    loaded.lastErrorString =
        reinterpret_cast<decltype(&cupsLastErrorString)>(library.resolve("cupsLastErrorString"));
    if (!loaded.printFile || !loaded.lastError || !loaded.lastErrorString)
        loaded.failure =
            u"a biblioteca não foi encontrada ou está incompleta (%1)"_s.arg(library.errorString());
    return loaded;
}

// Loaded once and kept for the rest of the run.
const PrintServerLibrary& printServerLibrary() {
    static const PrintServerLibrary library = loadPrintServerLibrary();
    return library;
}

} // namespace

Failure printPage(QWidget& page, QPrinter& printer) {
    const QPicture picture = recorded(page);
    printer.setDocName(u"Quelmar de Orivela"_s);
    QPainter painter;
    if (!painter.begin(&printer))
        return u"a impressora \"%1\" não aceitou o trabalho."_s.arg(printerName(printer));
    // Played back, a picture is scaled from the screen's resolution to the printer's; the layouts
    // were drawn at 96 dots per inch whatever the screen's.
    const qreal scale = picture.logicalDpiX() / layoutDotsPerInch;
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, picture);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return u"a impressora \"%1\" informou um erro."_s.arg(printerName(printer));
    return std::nullopt;
}

Failure printOnDefaultPrinter(QWidget& page) {
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        return u"não há nenhuma impressora instalada."_s;
    const QPrinterInfo chosen = QPrinterInfo::defaultPrinter();
    if (chosen.isNull())
        return u"nenhuma impressora está definida como padrão."_s;
    const QPrinter printer(chosen, QPrinter::HighResolution);
    if (!printer.isValid())
        return u"a impressora padrão \"%1\" não está disponível."_s.arg(chosen.printerName());
    // Qt would hand the page to the print server itself and never read the answer, so a queue
    // that refuses it would go unnoticed: the page goes into a PDF on the printer's paper, and
    // the job is submitted here.
    QTemporaryFile sheet(QDir::temp().filePath(u"quelmar-folha-XXXXXX.pdf"_s));
    if (!sheet.open())
        return u"não foi possível criar o arquivo da página em \"%1\": %2."_s.arg(
            QDir::tempPath(), core::systemErrorText(errno));
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(sheet.fileName());
    pdf.setPageLayout(printer.pageLayout());
    if (printPage(page, pdf))
        return u"não foi possível gravar a página no arquivo \"%1\"."_s.arg(sheet.fileName());
    return submitToQueue(chosen.printerName(), sheet.fileName());
}

Failure submitToQueue(const QString& queue, const QString& pdfFile) {
    // The server knows the printer; an instance is only the client's set of options for it.
    const QByteArray printer = queue.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray file = QFile::encodeName(pdfFile);
    const PrintServerLibrary& cups = printServerLibrary();
    if (!cups.failure.isEmpty())
        return u"não foi possível usar o sistema de impressão (a biblioteca libcups.so.2): %1."_s
            .arg(cups.failure);
    const int job = cups.printFile(CUPS_HTTP_DEFAULT, printer.constData(), file.constData(),
                                   "Quelmar de Orivela", 0, nullptr);
    if (job > 0)
        return std::nullopt;
    return u"a impressora \"%1\" "_s.arg(queue) +
           refusal(cups.lastError(), QString::fromUtf8(cups.lastErrorString()));
}

} // namespace toolkit
