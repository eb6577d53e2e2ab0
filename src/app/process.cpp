#include "app/process.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace app {

namespace {

WindowSystemCheck* activeCheck = nullptr;

void doNothing(int) {}

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
