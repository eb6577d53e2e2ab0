#pragma once

#include "platform/toolkit/services.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <typeindex>
#include <vector>

namespace toolkit {

class Form;

// Thrown by End() to leave every handler on the way out; only Program::dispatch catches it.
struct ProgramEnd {
    int status = 0;
};

// The running program: its directory, its services, its one instance of each form, and the
// wrapper every event handler runs in. There is one at a time, reached like Qt's own
// application object.
class Program {
public:
    Program(Services& services, QString directory);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    static Program& instance();

    Services& services() { return m_services; }
    // The directory holding the program file, without a trailing separator.
    const QString& path() const { return m_directory; }

    // The program-wide instance of F, created and loaded on first use.
    template <typename F> F& form();
    // The instance of F if it is loaded, else null; never loads it.
    template <typename F> F* loadedForm() const;
    void forget(Form& form);

    // The program-wide instance of T, the window code's module-level state: created on first use
    // and gone with the run, so that the next run starts from nothing.
    template <typename T> T& global();

    // Loads the start-up form and shows it; false when its load failed and the program ended.
    template <typename F> bool start();

    // Runs an event handler. A run-time error is shown in the standard error box and ends the
    // program with status 1; End() ends it with its status. After the end no handler runs.
    void dispatch(const std::function<void()>& handler) noexcept;

    bool ended() const { return m_ended; }
    int exitStatus() const { return m_exitStatus; }
    // Expires with the program: whatever may outlive it can tell that it is gone.
    std::weak_ptr<const void> lifetime() const { return m_lifetime; }

    // Called by MsgBox and other services that may run a nested event loop: a handler that ended
    // the program meanwhile must not let the interrupted one go on.
    void leaveIfEnded() const;

private:
    Form* find(std::type_index type) const;
    void adopt(std::type_index type, Form* form);
    void reportError(int number, const QString& description);
    void finish(int status);

    Services& m_services;
    QString m_directory;
    std::map<std::type_index, Form*> m_forms;
    // Unloaded windows wait for the event loop to delete them; the end of the program may come
    // first.
    std::vector<QPointer<Form>> m_unloaded;
    // Destroyed after the forms, which may still hold on to it as they go.
    std::map<std::type_index, std::shared_ptr<void>> m_globals;
    bool m_ended = false;
    int m_exitStatus = 0;
    std::shared_ptr<const void> m_lifetime = std::make_shared<bool>();
};

template <typename F> F& Program::form() {
    if (Form* existing = find(typeid(F)))
        return static_cast<F&>(*existing);
    auto* created = new F();
    adopt(typeid(F), created);
    created->Form_Load();
    return *created;
}

template <typename F> F* Program::loadedForm() const {
    return static_cast<F*>(find(typeid(F)));
}

template <typename T> T& Program::global() {
    std::shared_ptr<void>& slot = m_globals[typeid(T)];
    if (!slot)
        slot = std::make_shared<T>();
    return *static_cast<T*>(slot.get());
}

template <typename F> bool Program::start() {
    F* started = nullptr;
    dispatch([&] { started = &form<F>(); });
    if (m_ended || started == nullptr)
        return false;
    started->Show();
    return true;
}

// The program-wide instance of F, loaded first if it is not.
template <typename F> F& Load() {
    return Program::instance().form<F>();
}

// The services as the window code calls them.
void MsgBox(const QString& prompt, int style, const QString& title);
void Randomize();
float Rnd();
// Runs the "start" command line. Why the launcher could not start, or failed once it had, goes
// to `whenFailed`: at once, or later as a handler of this program while it still runs.
void Shell(const QString& commandLine, int windowStyle, const LaunchFailed& whenFailed);
[[noreturn]] void End(int status = 0);
// Puts the text on the desktop's clipboard, for pasting elsewhere.
void ClipboardSetText(const QString& text);
// Puts a picture and its text on the clipboard as one entry: a chat program takes the picture,
// an editor the text.
void ClipboardSetTextAndPng(const QString& text, const QByteArray& png);
const QString& AppPath();

} // namespace toolkit
