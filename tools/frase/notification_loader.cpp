#include "frase/notification_module.h"
#include "frase/program_module.h"

namespace frase {

QString notifyThroughModule(const QString& programDirectory, const QString& summary,
                            const QString& body, const QString& iconName) {
    const ProgramModule module(programDirectory, notificationModule);
    const auto notify = module.entry<NotificationEntry>(notificationEntry);
    if (!notify)
        return QStringLiteral("as notificações não puderam ser mostradas: %1")
            .arg(module.failure());
    QString failure;
    notify(&summary, &body, &iconName, &failure);
    return failure;
}

} // namespace frase
