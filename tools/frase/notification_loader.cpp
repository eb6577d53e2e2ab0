#include "frase/notification_module.h"

#include <QLibrary>

namespace frase {

QString notifyThroughModule(const QString& programDirectory, const QString& summary,
                            const QString& body, const QString& iconName) {
    QLibrary module(programDirectory + QString::fromUtf16(notificationModule));
    const auto entry = reinterpret_cast<NotificationEntry>(module.resolve(notificationEntry));
    if (!entry)
        return QStringLiteral("não foi possível carregar %1, a parte do programa que mostra as "
                              "notificações (%2)")
            .arg(module.fileName(), module.errorString());
    QString failure;
    entry(&summary, &body, &iconName, &failure);
    return failure;
}

} // namespace frase
