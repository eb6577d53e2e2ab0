// The separately loaded part of quelmar-frase that shows notifications: only -t needs QtDBus, so
// only -t loads it.

#include "frase/notification_module.h"

#include "frase/notification.h"

extern "C" Q_DECL_EXPORT void quelmar_frase_notify(const QString* summary, const QString* body,
                                                   const QString* iconName, QString* failure) {
    *failure = frase::notify(*summary, *body, *iconName);
}
