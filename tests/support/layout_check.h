#pragma once

namespace toolkit {
class Form;
}

// Every control of the window's table exists under its name, in its container, where the table
// puts it, at least as wide as the table says and within its container, with a name a screen
// reader can say and the table's tooltip. Fails the running test at the first difference.
void verifyLayoutFollowsTable(const toolkit::Form& window);
