#pragma once

namespace toolkit {
class Form;
}

// The window's caption, size, title-bar buttons and stored position, and every control of its
// table under its name, in its container, where the table puts it, at least as wide as the table
// says and within its container, in front of the panels beneath it, with its caption, a name a
// screen reader can say, the table's tooltip and range; labels hold their text on one line and
// links look like links. Fails the running test at the first difference.
void verifyLayoutFollowsTable(const toolkit::Form& window);

// The shown window opens with the focus on the lowest tab index, and Tab goes through the
// table's tab stops by tab index (an option button only when it is the selected one of its
// group: the others are reached with the arrow keys), back to the first. Fails the running test
// at the first difference.
void verifyTabOrderFollowsTable(const toolkit::Form& window);
