#include "platform/toolkit/printing.h"

#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

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
    QPrinter printer(chosen, QPrinter::HighResolution);
    if (!printer.isValid())
        return u"a impressora padrão \"%1\" não está disponível."_s.arg(chosen.printerName());
    return printPage(page, printer);
}

} // namespace toolkit
