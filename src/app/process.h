#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

namespace app {

// What the process needs before Qt starts: a reader of the standard error that went away (a
// closed terminal, a pipe into `head`) must not end the program, whose error box is still to
// come. Writes to such a stream then simply fail. Nor may anything the program starts by
// itself outlive it: without a session bus, none is started.
void prepareProcess();

// From construction until started(), Qt's messages wait. If Qt cannot reach a window system (no
// display, one that does not answer, a platform plugin that does not exist or fails), the
// process prints one line in Portuguese naming the problem and ends with status 1, instead of
// Qt's English lines and an abort. started() hands the waiting messages on to Qt's handler.
class WindowSystemCheck {
public:
    WindowSystemCheck(int argc, char** argv);
    ~WindowSystemCheck();
    WindowSystemCheck(const WindowSystemCheck&) = delete;
    WindowSystemCheck& operator=(const WindowSystemCheck&) = delete;

    void started();

private:
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString message;
    };

    static void onMessage(QtMsgType type, const QMessageLogContext& context,
                          const QString& message);
    [[noreturn]] void giveUp(const QString& problem) const;
    // What went wrong, in words, from what Qt said (its fatal message and the ones held).
    QString problem(const QString& fatal) const;
    QString requestedPlatform() const;
    QString whoAsked() const;

    QtMessageHandler m_previous = nullptr;
    std::vector<Held> m_held;
    // The platform asked for with -platform, if any.
    QString m_platformOption;
};

} // namespace app
