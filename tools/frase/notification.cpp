#include "frase/notification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace frase {

namespace {

using namespace Qt::StringLiterals;

const QString service = u"org.freedesktop.Notifications"_s;
const QString path = u"/org/freedesktop/Notifications"_s;
constexpr int replyTimeoutMilliseconds = 5000;

QString failureOf(const QDBusMessage& reply) {
    if (reply.errorName() == u"org.freedesktop.DBus.Error.ServiceUnknown")
        return u"nenhum serviço de notificações (%1) está rodando nesta sessão; a mensagem "
               u"não foi mostrada"_s.arg(service);
    if (reply.errorName() == u"org.freedesktop.DBus.Error.NoReply" ||
        reply.errorName() == u"org.freedesktop.DBus.Error.Timeout")
        return u"o serviço de notificações não respondeu em %1 segundos"_s.arg(
            replyTimeoutMilliseconds / 1000);
    return u"o serviço de notificações recusou a mensagem: %1 (%2)"_s.arg(reply.errorMessage(),
                                                                          reply.errorName());
}

QDBusMessage call(QDBusConnection& bus, const QString& method, const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, service, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, replyTimeoutMilliseconds);
}

// A service that reads markup in the body would take "<" and "&" of a message for it.
QString bodyFor(const QString& text, const QStringList& capabilities) {
    return capabilities.contains(u"body-markup"_s) ? text.toHtmlEscaped() : text;
}

} // namespace

QString notify(const QString& summary, const QString& body, const QString& iconName) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return u"não há uma sessão D-Bus a que se ligar (%1), e é por ela que as notificações "
               u"chegam à área de trabalho"_s.arg(bus.lastError().message());
    const QDBusMessage capabilities = call(bus, u"GetCapabilities"_s, {});
    if (capabilities.type() != QDBusMessage::ReplyMessage)
        return failureOf(capabilities);
    const QStringList known = capabilities.arguments().value(0).toStringList();
    const QVariantMap hints{{u"desktop-entry"_s, iconName}};
    const QDBusMessage reply = call(bus, u"Notify"_s,
                                    {u"Quelmar de Orivela"_s, 0u, iconName, summary,
                                     bodyFor(body, known), QStringList{}, hints, -1});
    return reply.type() == QDBusMessage::ReplyMessage ? QString() : failureOf(reply);
}

} // namespace frase
