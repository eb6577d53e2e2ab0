#pragma once

#include <QString>

namespace frase {

// Shows a message as a desktop notification through the session bus
// (org.freedesktop.Notifications). Returns an empty text once the service took it, otherwise
// why not, in words for the user. Never waits more than a few seconds for the service.
QString notify(const QString& summary, const QString& body, const QString& iconName);

} // namespace frase
