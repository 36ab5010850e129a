// The hand-over over a Unix domain socket, with the system's own calls and a socket notifier
// from Qt Core: Qt's local sockets would load its network library (and, with some builds,
// Kerberos and proxy libraries) into every start, for a message of one path.
#include "app/handover.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>
#include <utility>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

#ifndef MSG_NOSIGNAL
constexpr int MSG_NOSIGNAL = 0;
#endif

// The running copy's one-byte answer once a message is whole: until it comes, a later start
// cannot know that its file was taken, and does not claim so.
constexpr char kTaken = '\x06';

// A descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// A new socket descriptor, kept from programs this one starts.
int own(int fd, bool nonBlocking)
{
    if (fd >= 0) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        if (nonBlocking)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    return fd;
}

// False when the name does not fit a socket address.
bool addressOf(const QString& serverName, sockaddr_un* address)
{
    const QByteArray path = QFile::encodeName(serverName);
    *address = sockaddr_un{};
    address->sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof(address->sun_path))
        return false;
    std::memcpy(address->sun_path, path.constData(), static_cast<size_t>(path.size()));
    return true;
}

// One later start's connection, read as it becomes readable until the sender closes its end.
class Sender : public HandOverSender {
public:
    Sender(int fd, HandOverServer* server)
        : HandOverSender(server)
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Sender::read);
    }

private:
    void read()
    {
        char chunk[1024];
        for (;;) {
            const ssize_t got = ::read(m_fd.get(), chunk, std::min(sizeof(chunk), static_cast<size_t>(room())));
            if (got > 0) {
                if (!take(chunk, got))
                    return;
            } else if (got == 0) {
                return finished();
            } else if (errno != EINTR) {
                if (errno != EAGAIN && errno != EWOULDBLOCK)
                    cutOff();
                return;
            }
        }
    }

    void answerTaken() override { ::send(m_fd.get(), &kTaken, 1, MSG_NOSIGNAL | MSG_DONTWAIT); }
    void release() override { m_notifier.setEnabled(false); }
    void readWhatCame() override { read(); }

    Descriptor m_fd;
    QSocketNotifier m_notifier;
};

// Whether a connection has written (or closed its end, which asks only for the front): a
// later start writes as soon as it has connected, so one that has not is likely a flood's.
bool hasSpoken(int fd)
{
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) >= 0;
}

// A connection taken in while every place serves, until one frees or it stays silent too long.
struct Held {
    explicit Held(int connection)
        : fd(connection)
    {
    }
    Descriptor fd;
    QDeadlineTimer silentUntil{HandOverServer::kSenderTimeoutMs};
};

} // namespace

// Every waiting connection is taken in at once, up to kMaxConnections, rather than left in the
// listen backlog: there they would queue in order of arrival, and silent ones ahead of a real
// later start would each hold it up for a whole read time-out.
struct HandOverServer::Listener {
    Descriptor fd;
    QByteArray path;
    std::unique_ptr<QSocketNotifier> notifier;
    std::list<Held> held;

    ~Listener() { stop(); }

    void stop()
    {
        if (notifier)
            ::unlink(path.constData());
        notifier.reset();
        fd.reset();
        held.clear();
    }

    // The next waiting connection from this user, or -1 when none waits. Others are closed
    // at once: they take no place.
    int acceptChecked()
    {
        for (;;) {
            Descriptor connection(own(::accept(fd.get(), nullptr, nullptr), true));
            if (connection.get() < 0 && errno == EINTR)
                continue;
            // The socket is the user's own, so this holds unless its mode was changed.
            if (connection.get() < 0 || handOverPeerSharesUserSessionIntegrity(connection.get()))
                return connection.release();
        }
    }

    std::list<Held>::iterator firstSilent()
    {
        return std::find_if(held.begin(), held.end(), [](const Held& h) { return !hasSpoken(h.fd.get()); });
    }

    // At the limit a silent newcomer is closed, and one that has written takes the place of
    // the longest-held silent one; when none is silent, the rest wait in the backlog.
    void takeIn(int openNow)
    {
        for (;;) {
            const bool full = openNow + static_cast<int>(held.size()) >= kMaxConnections;
            if (full && firstSilent() == held.end())
                return notifier->setEnabled(false);
            Descriptor connection(acceptChecked());
            if (connection.get() < 0)
                return;
            if (full && !hasSpoken(connection.get()))
                continue;
            if (full)
                held.erase(firstSilent());
            held.emplace_back(connection.release());
        }
    }

    // Fills the free places, first with connections that have written, then in order of
    // arrival; one still silent past its read time-out is dropped.
    void serve(HandOverServer* server)
    {
        held.remove_if([](const Held& h) { return h.silentUntil.hasExpired() && !hasSpoken(h.fd.get()); });
        while (!server->isFull() && !held.empty()) {
            auto next = std::find_if(held.begin(), held.end(), [](const Held& h) { return hasSpoken(h.fd.get()); });
            if (next == held.end())
                next = held.begin();
            new Sender(next->fd.release(), server);
            held.erase(next);
        }
        const bool full = server->m_serving + static_cast<int>(held.size()) >= kMaxConnections;
        notifier->setEnabled(!full || firstSilent() != held.end());
    }
};

HandOverServer::HandOverServer(QObject* parent)
    : QObject(parent)
    , m_listener(std::make_unique<Listener>())
{
}

HandOverServer::~HandOverServer() = default;

bool HandOverServer::listen(const QString& serverName)
{
    sockaddr_un address;
    if (m_listener->notifier || !addressOf(serverName, &address))
        return false;
    Descriptor fd(own(::socket(AF_UNIX, SOCK_STREAM, 0), true));
    if (fd.get() < 0)
        return false;
    ::unlink(address.sun_path);
    // Nobody can connect between bind and listen, so the name is made the user's own first.
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
        return false;
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd.get(), SOMAXCONN) != 0) {
        ::unlink(address.sun_path);
        return false;
    }
    m_listener->path = address.sun_path;
    m_listener->fd.reset(fd.release());
    m_listener->notifier = std::make_unique<QSocketNotifier>(m_listener->fd.get(), QSocketNotifier::Read);
    connect(m_listener->notifier.get(), &QSocketNotifier::activated, this, [this] {
        m_listener->takeIn(m_serving);
        m_listener->serve(this);
    });
    return true;
}

void HandOverServer::resume()
{
    if (m_listener->notifier)
        m_listener->serve(this);
}

void HandOverServer::close()
{
    // Connections still in the backlog are reset when the socket closes.
    m_listener->stop();
    for (HandOverSender* sender : findChildren<HandOverSender*>(QString(), Qt::FindDirectChildrenOnly))
        sender->cutOff();
}

namespace {

// The running copy's answer, once it has read the whole message; false when none comes before
// the deadline. Events run meanwhile, for a running copy in this same thread (in the tests).
bool takenBy(int fd, const QDeadlineTimer& deadline)
{
    QSocketNotifier answered(fd, QSocketNotifier::Read);
    if (!deadline.hasExpired())
        runEventsUntil(static_cast<int>(deadline.remainingTime()), &answered, &QSocketNotifier::activated);
    char answer = 0;
    return ::recv(fd, &answer, 1, MSG_DONTWAIT) == 1 && answer == kTaken;
}

} // namespace

bool handOver(const QString& path, const QString& serverName, int patienceMs)
{
    sockaddr_un address;
    if (!addressOf(serverName, &address))
        return false;
    const QDeadlineTimer deadline(kHandOverBoundMs);
    Descriptor fd;
    const bool reached = reachPatiently(patienceMs, deadline, [&] {
        fd.reset(own(::socket(AF_UNIX, SOCK_STREAM, 0), false));
        if (fd.get() < 0)
            return Reach::Failed;
        // Connecting waits only while the listen backlog is full, and not for long.
        const timeval timeout{HandOverServer::kSenderTimeoutMs / 1000, 0};
        ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
        if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
            return Reach::Connected;
        if (errno == EAGAIN)
            return Reach::Busy;
        return errno == ENOENT || errno == ECONNREFUSED ? Reach::NotListening : Reach::Failed;
    });
    if (!reached || !handOverPeerSharesUserSessionIntegrity(fd.get()))
        return false;

    const QByteArray message = path.toUtf8();
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t wrote = ::send(fd.get(), message.constData() + sent, static_cast<size_t>(message.size() - sent), MSG_NOSIGNAL);
        if (wrote < 0 && errno != EINTR)
            return false;
        sent += std::max<ssize_t>(wrote, 0);
    }
    // The end of the message; it may wait in the socket until the running copy has a place.
    return ::shutdown(fd.get(), SHUT_WR) == 0 && takenBy(fd.get(), deadline);
}
