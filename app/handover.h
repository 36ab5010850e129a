// A later start hands its reading file to the copy that is already running: one message per
// connection over a local socket in the user's private runtime folder (never the shared
// temporary folder, where another user could take the name first), or on Windows a named pipe
// named after the user; open to this user only, and sent only to a server run by this user.
// handover.cpp holds what a message may be; the transport is one file per system:
// handover_unix.cpp and handover_windows.cpp, both on the system's own calls, so that start-up
// does not load a network library.
#pragma once

#include "app/system.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class HandOverSender;

class HandOverServer : public QObject {
    Q_OBJECT
public:
    // The longest message taken: a full path, in UTF-8.
    static constexpr int kMaxMessage = 4096;
    // A later start writes and leaves at once; one that sends nothing is not waited for long.
    static constexpr int kSenderTimeoutMs = 5000;
    // At most this many later starts are served at once; a new one cuts off the oldest, so
    // that connections that say nothing neither pile up nor keep a real later start out.
    static constexpr int kMaxSenders = 4;

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
    friend class HandOverSender;
    // A sender's whole message, once it has closed its end.
    void finish(const QByteArray& message);
    // A new sender, after the oldest has been cut off if there are as many as may be.
    void admit(HandOverSender* sender);

    QList<QPointer<HandOverSender>> m_senders;

    struct Listener;
    std::unique_ptr<Listener> m_listener;
};

// One later start's connection as its bytes come in, whatever the transport, which feeds it and
// lets go of the connection in release(). Never more than one byte past the limit is held; a
// sender that goes past it, or does not finish in time, is cut off and its message dropped.
class HandOverSender : public QObject {
    Q_OBJECT
    friend class HandOverServer;

public:
    // Bytes that may still come before the message is over the limit (always at least one
    // until the sender has ended).
    qsizetype room() const { return HandOverServer::kMaxMessage + 1 - m_message.size(); }

protected:
    explicit HandOverSender(HandOverServer* server);

    // False when the bytes took the message over the limit: the sender has then been cut off.
    bool take(const char* data, qsizetype size);
    // The sender closed its end: its message is whole.
    void finished() { end(true); }
    void cutOff() { end(false); }
    bool hasEnded() const { return m_ended; }
    // Called once, when the sender ends, for whatever reason.
    virtual void release() = 0;

private:
    void end(bool whole);

    HandOverServer* m_server;
    QByteArray m_message;
    bool m_ended = false;
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
