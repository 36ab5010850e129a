// A later start hands its reading file to the copy that is already running: one message per
// connection over a local socket in the user's private runtime folder (never the shared
// temporary folder, where another user could take the name first), or on Windows a named pipe
// named after the user; open to this user only, and sent only to a server run by this user.
// handover.cpp reads the message; the transport is one file per system: handover_unix.cpp
// (plain sockets, so that start-up does not load a network library) and handover_windows.cpp.
#pragma once

#include "app/system.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class HandOverServer : public QObject {
    Q_OBJECT
public:
    // The longest message taken: a full path, in UTF-8.
    static constexpr int kMaxMessage = 4096;
    // A later start writes and leaves at once; one that sends nothing is not waited for long.
    static constexpr int kSenderTimeoutMs = 5000;

    explicit HandOverServer(QObject* parent = nullptr);
    ~HandOverServer() override;

    // Only the copy that holds the single-instance lock listens, so whatever is found at the
    // path was left by a copy that ended without cleaning up and is replaced.
    bool listen(const QString& serverName = handOverServerName());

signals:
    // A later start asks this copy to come to the front and, when path is not empty, to open
    // the reading file at path. Anything that is not an absolute path is dropped unseen.
    void requested(const QString& path);

private:
    // A sender's whole message, once it has closed its end.
    void finish(const QByteArray& message);

    struct Listener;
    std::unique_ptr<Listener> m_listener;
};

// Sent by a later start: path (empty to ask only for the front). True when the running copy
// took the message. A copy that has just started may not be listening yet: for up to
// patienceMs a missing server is tried again.
bool handOver(const QString& path, const QString& serverName = handOverServerName(), int patienceMs = 2000);

// For the transports: how one attempt to reach the running copy went.
enum class Reach { Connected, NotListening, Failed };
// Attempts until one connects or fails outright, trying a copy that is not listening yet again
// for up to patienceMs.
bool reachPatiently(int patienceMs, const std::function<Reach()>& attempt);
