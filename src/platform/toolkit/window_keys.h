#pragma once

#include "platform/toolkit/controls.h"

#include <QKeySequence>

class QAbstractButton;
class QWidget;

// Keys that belong to a whole window rather than to one of its controls.
namespace toolkit {

// The key runs `handler`, as an event handler, whichever of the window's controls has the
// focus, and never while another window is active. A control that would take the key for
// itself (a locked text box copying its selection on Ctrl+C) leaves it to the window.
void onWindowKey(QWidget& window, const QKeySequence& key, Handler handler);

// The key clicks the button, leaving the focus where it was.
void clickOnWindowKey(QWidget& window, const QKeySequence& key, QAbstractButton& button);

} // namespace toolkit
