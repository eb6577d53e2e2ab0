#pragma once

#include "platform/toolkit/services.h"

class QPrinter;
class QWidget;

namespace toolkit {

// Draws the page at its true size, one logical pixel to 1/96 inch, from the top left corner of
// the printable area, as one sheet. Text goes to the printer as text, so it is sharp on paper and
// can be searched in a PDF.
Failure printPage(QWidget& page, QPrinter& printer);

// The same on the desktop's default printer, without asking anything.
Failure printOnDefaultPrinter(QWidget& page);

} // namespace toolkit
