#pragma once

#include "platform/toolkit/services.h"

class QPrinter;
class QWidget;

namespace toolkit {

// Draws the page at its true size, one logical pixel to 1/96 inch, from the top left corner of
// the printable area, as one sheet. Text goes to the printer as text, so it is sharp on paper and
// can be searched in a PDF.
Failure printPage(QWidget& page, QPrinter& printer);

// The same on the desktop's default printer, without asking anything. The job counts as printed
// only once the print server has taken it.
Failure printOnDefaultPrinter(QWidget& page);

// Hands a PDF file to a print queue ("printer" or "printer/instance") of the print server as one
// job; why the server did not take it, or nothing.
Failure submitToQueue(const QString& queue, const QString& pdfFile);

} // namespace toolkit
