#include "frase/notification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <QVariantMap>
#include <optional>

namespace frase {

namespace {

using namespace Qt::StringLiterals;

const QString service = u"org.freedesktop.Notifications"_s;
const QString path = u"/org/freedesktop/Notifications"_s;
// For the whole exchange with the service, both calls together.
constexpr int replyTimeoutMilliseconds = 5000;
// In UTF-16 code units: a longer body is cut at the character boundary before, with "…".
constexpr qsizetype longestNotificationBody = 65536;
// The bus gives up a little after the program does, so that a "no reply" error from the bus
// before then means the service went away without answering.
constexpr int busGraceMilliseconds = 1000;

QString errorName(const char* name) {
    return u"org.freedesktop.DBus.Error."_s + QLatin1StringView(name);
}

// The service's or the bus's own words (often English) only follow ours, in parentheses.
QString theirWords(const QString& message, const QString& name) {
    return message.isEmpty() ? u"(%1)"_s.arg(name) : u"(\"%1\", %2)"_s.arg(message, name);
}

QString failureOf(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    if (name == errorName("ServiceUnknown") || name == errorName("NameHasNoOwner"))
        return u"nenhum serviço de notificações (%1) está rodando nesta sessão; a mensagem "
               u"não foi mostrada"_s.arg(service);
    // The program's own deadline comes first: the bus says this only when the service left.
    if (name == errorName("NoReply") || name == errorName("Timeout"))
        return u"o serviço de notificações (%1) fechou sem responder; a mensagem pode não ter "
               u"sido mostrada"_s.arg(service);
    if (name == errorName("Disconnected"))
        return u"a sessão D-Bus fechou a conexão antes que o serviço de notificações "
               u"respondesse"_s;
    if (name == errorName("AccessDenied"))
        return u"a sessão D-Bus não deixa este programa falar com o serviço de notificações"_s;
    if (name == errorName("LimitsExceeded"))
        return u"a mensagem passa do tamanho que a sessão D-Bus aceita"_s;
    return u"o serviço de notificações recusou a mensagem "_s +
           theirWords(reply.errorMessage(), name);
}

// libdbus, finding no address, would start a bus of its own ("autolaunch") that outlives the
// program; without one of the two the session has no bus the desktop's notifications use.
std::optional<QString> missingBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return std::nullopt;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(QDir(runtime).filePath(u"bus"_s)).exists())
        return std::nullopt;
    return u"não há uma sessão D-Bus nesta área de trabalho (a variável "
           u"DBUS_SESSION_BUS_ADDRESS não está definida), e é por ela que as notificações "
           u"chegam à área de trabalho"_s;
}

QString connectionFailure(const QDBusError& error) {
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const QString name = error.name();
    if (name == errorName("NoServer") || name == errorName("FileNotFound"))
        return u"nenhuma sessão D-Bus atende no endereço \"%1\" (da variável "
               u"DBUS_SESSION_BUS_ADDRESS)"_s.arg(address);
    if (name == errorName("BadAddress"))
        return u"o endereço \"%1\" da variável DBUS_SESSION_BUS_ADDRESS não é válido"_s.arg(
            address);
    if (name == errorName("AccessDenied") || name == errorName("AuthFailed"))
        return u"a sessão D-Bus em \"%1\" recusou a conexão"_s.arg(address);
    return u"não foi possível ligar-se à sessão D-Bus em \"%1\" "_s.arg(address) +
           theirWords(error.message(), name);
}

// The reply, or nothing once the deadline passed. Waits in an event loop of its own, which the
// deadline always ends, whatever the bus does with the call.
std::optional<QDBusMessage> call(QDBusConnection& bus, const QString& method,
                                 const QVariantList& arguments, const QDeadlineTimer& deadline) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, service, method);
    message.setArguments(arguments);
    const int remaining = static_cast<int>(deadline.remainingTime());
    QDBusPendingCallWatcher watcher(bus.asyncCall(message, remaining + busGraceMilliseconds));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(remaining, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec();
    if (!watcher.isFinished())
        return std::nullopt;
    return watcher.reply();
}

// D-Bus texts end at a NUL, which would cut the message there without a word.
QString withoutNul(QString text) {
    return text.replace(QChar(u'\0'), QChar::ReplacementCharacter);
}

// A notification shows a few lines; a longer body only costs the bus and the service time and
// memory. Cut between two characters as the user sees them (a letter and its accent stay
// together), with "…" at the end.
QString shortened(const QString& text) {
    if (text.size() <= longestNotificationBody)
        return text;
    const qsizetype room = longestNotificationBody - 1;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text.constData(), room + 1);
    characters.setPosition(room);
    const qsizetype cut = characters.isAtBoundary() ? room : characters.toPreviousBoundary();
    return text.first(std::max<qsizetype>(cut, 0)) + u'…';
}

// A service that reads markup in the body would take "<" and "&" of a message for it.
QString bodyFor(const QString& text, const QStringList& capabilities) {
    const QString body = withoutNul(shortened(text));
    return capabilities.contains(u"body-markup"_s) ? body.toHtmlEscaped() : body;
}

QString timedOut() {
    return u"o serviço de notificações não respondeu em %1 segundos"_s.arg(
        replyTimeoutMilliseconds / 1000);
}

// A connection of its own, closed as soon as the notification is sent: the bus may still be
// telling the program things while it ends, which Qt's shared session connection would be
// handling on its thread as the process goes away.
class OwnConnection {
public:
    OwnConnection()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName())) {}
    ~OwnConnection() { QDBusConnection::disconnectFromBus(connectionName()); }
    OwnConnection(const OwnConnection&) = delete;
    OwnConnection& operator=(const OwnConnection&) = delete;
    QDBusConnection& bus() { return m_bus; }

private:
    static QString connectionName() { return u"quelmar-frase"_s; }
    QDBusConnection m_bus;
};

QString send(QDBusConnection& bus, const QString& summary, const QString& body,
             const QString& iconName) {
    const QDeadlineTimer deadline(replyTimeoutMilliseconds);
    const std::optional<QDBusMessage> capabilities = call(bus, u"GetCapabilities"_s, {}, deadline);
    if (!capabilities)
        return timedOut();
    if (capabilities->type() != QDBusMessage::ReplyMessage)
        return failureOf(*capabilities);
    const QStringList known = capabilities->arguments().value(0).toStringList();
    const QVariantMap hints{{u"desktop-entry"_s, iconName}};
    const std::optional<QDBusMessage> reply = call(bus, u"Notify"_s,
                                                   {u"Quelmar de Orivela"_s, 0u, iconName, summary,
                                                    bodyFor(body, known), QStringList{}, hints, -1},
                                                   deadline);
    if (!reply)
        return timedOut();
    return reply->type() == QDBusMessage::ReplyMessage ? QString() : failureOf(*reply);
}

} // namespace

QString notify(const QString& summary, const QString& body, const QString& iconName) {
    if (const std::optional<QString> missing = missingBus())
        return *missing;
    OwnConnection connection;
    if (!connection.bus().isConnected())
        return connectionFailure(connection.bus().lastError());
    return send(connection.bus(), summary, body, iconName);
}

} // namespace frase
