#pragma once

#include <QString>

namespace frase {

// Shows a message as a desktop notification through the session bus
// (org.freedesktop.Notifications). Returns an empty text once the service took it, otherwise
// why not, in words for the user. Both calls to the service together take at most 5 seconds,
// whatever the message. A body of more than 65536 characters is cut, with "…"; a NUL in it is
// sent as U+FFFD, which D-Bus can carry. Never starts a bus of its own when the session has none.
QString notify(const QString& summary, const QString& body, const QString& iconName);

} // namespace frase
