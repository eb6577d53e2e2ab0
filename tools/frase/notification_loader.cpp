#include "frase/notification_module.h"
#include "platform/core/file_names.h"

#include <dlfcn.h>

namespace frase {

QString notifyThroughModule(const QString& programDirectory, const QString& summary,
                            const QString& body, const QString& iconName) {
    // By the path's bytes, so that a program folder named in any bytes finds its module.
    const QString path = programDirectory + QString::fromUtf16(notificationModule);
    void* module = ::dlopen(core::bytesOfFileName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    const auto entry =
        module ? reinterpret_cast<NotificationEntry>(::dlsym(module, notificationEntry)) : nullptr;
    if (!entry) {
        const char* reason = ::dlerror();
        return QStringLiteral("não foi possível carregar %1, a parte do programa que mostra as "
                              "notificações (%2)")
            .arg(core::displayable(path), QString::fromLocal8Bit(reason ? reason : ""));
    }
    QString failure;
    entry(&summary, &body, &iconName, &failure);
    return failure;
}

} // namespace frase
