#include "app/process.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace app {

namespace {

WindowSystemCheck* activeCheck = nullptr;

void doNothing(int) {}

// Without an address libdbus starts a session bus of its own ("autolaunch") for the first part
// of Qt that asks for one (accessibility, the platform theme), and that bus outlives the
// program. The session's bus where systemd keeps it is the one libdbus would find itself; with
// neither, the session has no bus, and "disabled:" says so to libdbus and to GLib alike.
void noBusOfItsOwn() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    struct stat bus {};
    if (!runtime.isEmpty() && ::stat((runtime + "/bus").constData(), &bus) == 0 &&
        S_ISSOCK(bus.st_mode))
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

// Qt's English is read only to pick out a name and the kind of failure; worded otherwise, it
// leaves the line naming the platform that was asked for.
QString quotedAfter(const QString& text, const QString& words) {
    const QRegularExpression pattern(QRegularExpression::escape(words) +
                                     QStringLiteral(" \"([^\"]*)\""));
    return pattern.match(text).captured(1);
}

QString availablePlatforms(const QString& text) {
    static const QRegularExpression pattern(
        QStringLiteral("Available platform plugins are: ([^\\n]*)\\."));
    return pattern.match(text).captured(1);
}

} // namespace

// A handler that does nothing rather than SIG_IGN: the write fails with EPIPE all the same, and a
// program started from here (the browser, through xdg-open) gets the default back at exec.
void prepareProcess() {
    struct sigaction action {};
    action.sa_handler = doNothing;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
    noBusOfItsOwn();
}

WindowSystemCheck::WindowSystemCheck(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        const QByteArrayView argument(argv[i]);
        if (argument == "-platform" || argument == "--platform")
            m_platformOption = QString::fromLocal8Bit(argv[i + 1]);
    }
    activeCheck = this;
    m_previous = qInstallMessageHandler(&WindowSystemCheck::onMessage);
}

WindowSystemCheck::~WindowSystemCheck() {
    started();
}

// A platform may start and find no screen at all (linuxfb without a frame buffer); Qt would
// abort at the first window.
void WindowSystemCheck::started() {
    if (activeCheck != this)
        return;
    if (QGuiApplication::instance() != nullptr && QGuiApplication::primaryScreen() == nullptr)
        giveUp(QStringLiteral("a plataforma gráfica \"%1\" não encontrou nenhuma tela.")
                   .arg(QGuiApplication::platformName()));
    qInstallMessageHandler(m_previous);
    activeCheck = nullptr;
    for (const Held& held : m_held) {
        const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
        m_previous(held.type, context, held.message);
    }
    m_held.clear();
}

void WindowSystemCheck::onMessage(QtMsgType type, const QMessageLogContext& context,
                                  const QString& message) {
    if (type == QtFatalMsg)
        activeCheck->giveUp(activeCheck->problem(message));
    activeCheck->m_held.push_back({type, QByteArray(context.category), message});
}

void WindowSystemCheck::giveUp(const QString& problem) const {
    const QByteArray line =
        (QStringLiteral("quelmar: não foi possível abrir as janelas do programa: ") + problem +
         u'\n')
            .toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

QString WindowSystemCheck::problem(const QString& fatal) const {
    QString said = fatal;
    for (const Held& held : m_held)
        said += QStringLiteral("\n%1: %2").arg(QString::fromLatin1(held.category), held.message);
    const QString missing =
        quotedAfter(said, QStringLiteral("Could not find the Qt platform plugin"));
    if (!missing.isEmpty()) {
        const QString available = availablePlatforms(said);
        return QStringLiteral("a plataforma gráfica \"%1\"%2 não existe%3.")
            .arg(missing, whoAsked(),
                 available.isEmpty() ? QString()
                                     : QStringLiteral("; as que existem são: ") + available);
    }
    if (said.contains(QStringLiteral("qt.qpa.xcb: could not connect to display"))) {
        const QString display = qEnvironmentVariable("DISPLAY");
        if (display.isEmpty())
            return QStringLiteral(
                "não há tela gráfica onde abri-las (a variável DISPLAY não está definida).");
        return QStringLiteral(
                   "a tela \"%1\" (da variável DISPLAY) não responde ou recusou a conexão.")
            .arg(display);
    }
    QString failed = quotedAfter(said, QStringLiteral("Could not load the Qt platform plugin"));
    if (failed.isEmpty())
        failed = requestedPlatform();
    if (failed.isEmpty())
        return QStringLiteral("nenhuma plataforma gráfica pôde ser iniciada.");
    return QStringLiteral("a plataforma gráfica \"%1\"%2 não pôde ser iniciada.")
        .arg(failed, whoAsked());
}

QString WindowSystemCheck::requestedPlatform() const {
    return m_platformOption.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : m_platformOption;
}

QString WindowSystemCheck::whoAsked() const {
    if (!m_platformOption.isEmpty())
        return QStringLiteral(", pedida pela opção -platform,");
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return QStringLiteral(", pedida pela variável QT_QPA_PLATFORM,");
    return {};
}

} // namespace app
