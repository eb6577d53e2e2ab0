#pragma once

#include <QString>

namespace frase {

// The file in the program's folder that holds the notifications, and its one entry point, which
// puts into `failure` what frase::notify returns. It sits in a folder of its own: a shared object
// right in a folder of /usr/lib would make the package run ldconfig, which a private module does
// not need.
inline constexpr char notificationModule[] = "modulos/quelmar-frase-notificacao.so";
inline constexpr char notificationEntry[] = "quelmar_frase_notify";
using NotificationEntry = void (*)(const QString* summary, const QString* body,
                                   const QString* iconName, QString* failure);

// frase::notify through the module in `programDirectory`; a module that cannot be loaded is a
// failure in words, like any other.
QString notifyThroughModule(const QString& programDirectory, const QString& summary,
                            const QString& body, const QString& iconName);

} // namespace frase
