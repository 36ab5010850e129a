// How the program starts: the application's names and fonts, then the start-up sequence.
// main() and the start-up benchmark both go through here.
#pragma once

#include "app/session.h"
#include "app/system.h"

#include <QDate>
#include <QStringList>
#include <QTimer>

#include <memory>

class HandOverServer;
class SingleInstance;

// High-dpi settings, which Qt reads only before QApplication is constructed: Qt 5.15 then
// scales like Qt 6 (windows follow the screen's scale factor, fractions such as 150 % kept).
void prepareHighDpi();

// Application-wide settings made once, right after QApplication exists.
void configureApplication();

// File dialogs start in the working folder. Started from its Windows shortcut, or from the
// unpacked zip, that is the program's own folder, which the user cannot write to under Program
// Files: the program then works from the user's documents folder instead. Called once the
// command line's file has been made absolute.
void leaveProgramFolder();

// Where a copy holds its single-instance lock and listens for later starts: the user's own
// places unless a test passes its private ones.
struct InstanceNames {
    QString lockPath = instanceLockPath();
    QString handOverName = handOverServerName();
};

class Program {
public:
    explicit Program(Platform& platform, const InstanceNames& names = InstanceNames());
    ~Program();

    // The start-up sequence: single instance, random seed, update reminder, input window,
    // promotion label, then the reading file named on the command line, if any. False when
    // another copy is running: it has been handed the file (or, without one, the user has
    // been told), or the user has been told that it could not be, and this copy has ended
    // without showing a window.
    bool start(const QDate& today, quint32 seed, const QString& file = QString());
    // After start() returned false: whether the file could not be handed over (the process
    // then ends with a failure, not as if all were well).
    bool handOverFailed() const { return m_handOverFailed; }

    Session& session() { return m_session; }

private:
    bool handOverTo(const QString& file);
    void listenForLaterStarts();
    void runRequests();

    Session m_session;
    InstanceNames m_names;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<HandOverServer> m_handOver;
    // Files (or, empty, a call to the front) from later starts, run once the input window is
    // up and no modal box is open.
    QStringList m_requests;
    bool m_started = false;
    bool m_handOverFailed = false;
    QTimer m_retry;
};
