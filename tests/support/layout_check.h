#pragma once

#include <QList>

class QWidget;

namespace toolkit {
class Form;
}

// The window's caption, size, title-bar buttons and stored position, and every control of its
// table under its name, in its container, where the table puts it, at least as wide as the table
// says and within its container, with its caption, a name a screen reader can say and the
// table's tooltip. Fails the running test at the first difference.
void verifyLayoutFollowsTable(const toolkit::Form& window);

// The focus stands on the first widget, and Tab goes through the others in turn, back to the
// first. Fails the running test at the first difference.
void verifyTabCycle(const QList<QWidget*>& expected);
