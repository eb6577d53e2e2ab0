#pragma once

#include <QString>

namespace frase {

// The file beside the program that holds the notifications, and its one entry point, which puts
// into `failure` what frase::notify returns.
inline constexpr char16_t notificationModule[] = u"/quelmar-frase-notificacao.so";
inline constexpr char notificationEntry[] = "quelmar_frase_notify";
using NotificationEntry = void (*)(const QString* summary, const QString* body,
                                   const QString* iconName, QString* failure);

// frase::notify through the module in `programDirectory`; a module that cannot be loaded is a
// failure in words, like any other.
QString notifyThroughModule(const QString& programDirectory, const QString& summary,
                            const QString& body, const QString& iconName);

} // namespace frase
