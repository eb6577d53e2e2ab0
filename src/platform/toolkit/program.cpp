#include "platform/toolkit/program.h"

#include "platform/core/runtime_error.h"
#include "platform/toolkit/accessibility.h"
#include "platform/toolkit/form.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <new>
#include <utility>

namespace toolkit {

namespace {

Program* current = nullptr;

QString errorBoxText(int number, const QString& description) {
    return QStringLiteral("Erro em tempo de execução '%1':\n\n%2").arg(number).arg(description);
}

// The box's text on one line, each run of line breaks a blank, after the program's name.
QString errorLine(int number, const QString& description) {
    QString flat;
    flat.reserve(description.size());
    for (const QChar c : description) {
        const bool lineBreak = c == u'\n' || c == u'\r';
        if (!lineBreak)
            flat += c;
        else if (!flat.endsWith(u' '))
            flat += u' ';
    }
    return QStringLiteral("quelmar: Erro em tempo de execução '%1': %2").arg(number).arg(flat);
}

} // namespace

Program::Program(Services& services, QString directory)
    : m_services(services), m_directory(std::move(directory)) {
    Q_ASSERT(current == nullptr);
    current = this;
    installAccessibility();
}

Program::~Program() {
    for (auto& [type, form] : m_forms)
        delete form;
    for (const QPointer<Form>& form : m_unloaded)
        delete form.data();
    current = nullptr;
}

Program& Program::instance() {
    Q_ASSERT(current != nullptr);
    return *current;
}

Form* Program::find(std::type_index type) const {
    const auto found = m_forms.find(type);
    return found == m_forms.end() ? nullptr : found->second;
}

void Program::adopt(std::type_index type, Form* form) {
    m_forms[type] = form;
}

void Program::forget(Form& form) {
    std::erase_if(m_forms, [&](const auto& entry) { return entry.second == &form; });
    m_unloaded.emplace_back(&form);
}

void Program::dispatch(const std::function<void()>& handler) noexcept {
    if (m_ended)
        return;
    try {
        try {
            handler();
        } catch (const core::RuntimeError& error) {
            reportError(error.number(), error.description());
            finish(1);
        } catch (const ProgramEnd& end) {
            finish(end.status);
        } catch (const std::bad_alloc&) {
            reportError(int(core::ErrorCode::OutOfMemory),
                        core::standardDescription(core::ErrorCode::OutOfMemory));
            finish(1);
        } catch (const std::exception& error) {
            reportError(int(core::ErrorCode::InternalError),
                        core::standardDescription(core::ErrorCode::InternalError) +
                            QStringLiteral(" (") + QString::fromLocal8Bit(error.what()) +
                            QStringLiteral(")"));
            finish(1);
        }
    } catch (...) {
        // The error box itself failed; ending is all that is left to do.
        finish(1);
    }
}

void Program::reportError(int number, const QString& description) {
    // Nothing that happens while the box is open may run a handler of a program about to end.
    m_ended = true;
    // Written first: the box waits for an answer, the terminal need not.
    m_services.printError(errorLine(number, description));
    m_services.messageBox(errorBoxText(number, description), vbCritical,
                          QStringLiteral("Quelmar de Orivela"));
}

void Program::finish(int status) {
    m_ended = true;
    m_exitStatus = status;
    for (auto& [type, form] : m_forms)
        form->hide();
    m_services.endProgram(status);
}

void Program::leaveIfEnded() const {
    if (m_ended)
        throw ProgramEnd{m_exitStatus};
}

void MsgBox(const QString& prompt, int style, const QString& title) {
    Program& program = Program::instance();
    program.services().messageBox(prompt, style, title);
    program.leaveIfEnded();
}

void Randomize() {
    Program::instance().services().reseedRandom();
}

float Rnd() {
    return Program::instance().services().nextRandom();
}

void Shell(const QString& commandLine, int windowStyle, const LaunchFailed& whenFailed) {
    Program& program = Program::instance();
    LaunchFailed failedLater = [running = program.lifetime(), whenFailed](const QString& reason) {
        if (!running.expired())
            Program::instance().dispatch([&] { whenFailed(reason); });
    };
    if (const Failure failure =
            program.services().runStartCommand(commandLine, windowStyle, std::move(failedLater)))
        whenFailed(*failure);
}

void End(int status) {
    throw ProgramEnd{status};
}

void ClipboardSetText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

void ClipboardSetTextAndPng(const QString& text, const QByteArray& png) {
    auto* entry = new QMimeData;
    entry->setData(QStringLiteral("image/png"), png);
    entry->setText(text);
    QGuiApplication::clipboard()->setMimeData(entry);
}

const QString& AppPath() {
    return Program::instance().path();
}

} // namespace toolkit
