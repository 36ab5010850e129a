// A later start hands its reading file to the copy that is already running: one message per
// connection over a local socket in the user's private runtime folder (never the shared
// temporary folder, where another user could take the name first), or on Windows a named pipe
// named after the user; open to this user only, and sent only to a server run by this user.
// handover.cpp holds what a message may be; the transport is one file per system:
// handover_unix.cpp and handover_windows.cpp, both on the system's own calls, so that start-up
// does not load a network library.
#pragma once

#include "app/system.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

class HandOverSender;

class HandOverServer : public QObject {
    Q_OBJECT
public:
    // The longest message taken: a full path, in UTF-8.
    static constexpr int kMaxMessage = 4096;
    // A later start writes as soon as it is taken in; one that sends nothing is dropped when its
    // own read times out, so silent connections hold real ones back for no longer than this.
    static constexpr int kSenderTimeoutMs = 5000;
    // At most this many later starts are served at once. None is cut off for a newer one: the
    // others wait (taken in and held, or for a pipe instance) until a place frees.
    static constexpr int kMaxSenders = 4;
    // Unix: connections open at once, served or held, so that a flood cannot use up this copy's
    // descriptors. Past it, one that has said nothing makes way for one that has written.
    static constexpr int kMaxConnections = 64;

    explicit HandOverServer(QObject* parent = nullptr);
    ~HandOverServer() override;

    // Only the copy that holds the single-instance lock listens, so whatever is found at the
    // path was left by a copy that ended without cleaning up and is replaced.
    bool listen(const QString& serverName = handOverServerName());
    // For a copy that is ending: stops listening for good and cuts off every sender under way
    // unanswered, so that later starts say their files were not handed over rather than lose
    // them.
    void close();

signals:
    // A later start asks this copy to come to the front and, when path is not empty, to open
    // the reading file at path. Anything that is not an absolute path is dropped unseen.
    void requested(const QString& path);

private:
    friend class HandOverSender;
    bool isFull() const { return m_serving >= kMaxSenders; }
    // A place came free: the transport takes in the next sender that waits, if any.
    void resume();

    int m_serving = 0;

    struct Listener;
    std::unique_ptr<Listener> m_listener;
};

// One later start's connection as its bytes come in, whatever the transport, which feeds it and
// lets go of the connection in release(). Made only for a peer that passed the check, it takes
// one of the server's places until it ends. Never more than one byte past the limit is held; a
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
    // The sender's message is whole: it is answered if it is taken.
    void finished() { end(true); }
    void cutOff() { end(false); }
    bool hasEnded() const { return m_ended; }
    // Tells the sender that its whole message was taken; only then may it say so.
    virtual void answerTaken() = 0;
    // Called once, when the sender ends, for whatever reason (after any answer).
    virtual void release() = 0;
    // Takes whatever has come without waiting: the time is up, but what is there counts.
    virtual void readWhatCame() = 0;

private:
    void end(bool whole);

    HandOverServer* m_server;
    QByteArray m_message;
    bool m_ended = false;
};

// How long a later start waits, all told, for the running copy to take its file: a first
// window that is slow to show, and senders ahead of it, hold it up for a while.
constexpr int kHandOverBoundMs = 30000;

// Sent by a later start: path (empty to ask only for the front). True when the running copy
// took the message, within kHandOverBoundMs. A copy that has just started may not be listening
// yet: for up to patienceMs a missing server is tried again.
bool handOver(const QString& path, const QString& serverName = handOverServerName(), int patienceMs = 2000);

// For the transports: how one attempt to reach the running copy went. Busy: it serves as many
// senders as it may, and the attempt has waited a moment for a place.
enum class Reach { Connected, NotListening, Busy, Failed };
// Attempts until one connects or fails outright, trying a copy that is not listening yet again
// for up to patienceMs, and a busy one until the deadline. Events run between attempts, so that
// a server in this same thread (in the tests) can free a place.
bool reachPatiently(int patienceMs, const QDeadlineTimer& deadline, const std::function<Reach()>& attempt);
// Runs events for up to ms or until sender emits signal: what a later start waits for comes
// through the event loop, where a server in this same thread (in the tests) answers it.
template <typename Sender, typename Signal>
void runEventsUntil(int ms, const Sender* sender, Signal signal)
{
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, &QEventLoop::quit);
    QTimer::singleShot(std::max(ms, 0), &loop, &QEventLoop::quit);
    loop.exec();
}
