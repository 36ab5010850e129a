// The hand-over over a named pipe, with the system's own calls and overlapped I/O watched by
// Qt Core's event notifier: Qt's local sockets would load its network library into every start,
// and they neither refuse a pipe name that someone else created first nor say who connected.
#include "app/handover.h"

#include <QWinEventNotifier>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <windows.h>
#include <aclapi.h>

namespace {

constexpr int kTimeoutMs = HandOverServer::kSenderTimeoutMs;
// How long a later start waits for a busy pipe at a time before it lets events run.
constexpr DWORD kBusyWaitMs = 100;
// The running copy's one-byte answer once it has checked who connected: a later start writes
// only after it, so that it is still running (and can be checked) when the running copy looks.
constexpr char kChecked = '\x06';
// A pipe has no half-close: a later start ends its message with a byte no path holds, and the
// running copy answers once more only when it has that whole message and takes it. A later
// start that has written everything has not yet handed anything over.
constexpr char kEnd = '\0';
constexpr char kTaken = '\x04';

const wchar_t* wide(const QString& text)
{
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// Pipe names live in their own namespace; a bare name is placed there.
QString pipePath(const QString& serverName)
{
    const QString prefix = QStringLiteral("\\\\.\\pipe\\");
    return serverName.startsWith(prefix) ? serverName : prefix + serverName;
}

// A handle closed when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : m_handle(handle)
    {
    }
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept
        : m_handle(other.release())
    {
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool isValid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE release() { return std::exchange(m_handle, INVALID_HANDLE_VALUE); }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (isValid())
            CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

// One overlapped operation at a time, with the event that says it is done.
struct Operation {
    Operation() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Operation() { CloseHandle(overlapped.hEvent); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    OVERLAPPED* start()
    {
        const HANDLE event = overlapped.hEvent;
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        ResetEvent(event);
        return &overlapped;
    }
    // Records the answer of the call given start()'s OVERLAPPED: true when it completed or is
    // under way. A call that failed at once leaves the OVERLAPPED saying "pending" for ever, so
    // nothing may wait for it. The call's error is kept for the caller.
    bool began(BOOL answered)
    {
        underWay = answered || GetLastError() == ERROR_IO_PENDING;
        return underWay;
    }
    // Waits until the system has let go of the operation's buffer (after CancelIo, at once).
    void settle(HANDLE pipe)
    {
        DWORD moved = 0;
        if (underWay && !HasOverlappedIoCompleted(&overlapped))
            GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
        underWay = false;
    }
    // Waits for an operation that ReadFile or WriteFile began (answered: their answer) and says
    // how many bytes it moved, or -1. Events go on meanwhile, so that a running copy in this
    // same thread can answer; one that takes longer than timeoutMs is cancelled.
    int finish(HANDLE pipe, BOOL answered, int timeoutMs)
    {
        if (!began(answered))
            return -1;
        if (WaitForSingleObject(overlapped.hEvent, 0) != WAIT_OBJECT_0) {
            QWinEventNotifier done(overlapped.hEvent);
            runEventsUntil(timeoutMs, &done, &QWinEventNotifier::activated);
            if (WaitForSingleObject(overlapped.hEvent, 0) != WAIT_OBJECT_0)
                CancelIo(pipe);
        }
        DWORD moved = 0;
        underWay = false;
        return GetOverlappedResult(pipe, &overlapped, &moved, TRUE) ? static_cast<int>(moved) : -1;
    }
    OVERLAPPED overlapped{};
    bool underWay = false;
};

// Cancels what is still under way on the pipe and waits until the system has let go of the
// operations' buffers, then closes the pipe.
void closePipe(Handle& pipe, std::initializer_list<Operation*> operations)
{
    if (!pipe.isValid())
        return;
    CancelIo(pipe.get());
    for (Operation* operation : operations)
        operation->settle(pipe.get());
    pipe.reset();
}

// The pipe's security: this user alone may open it or add instances, and the user, not an
// administrator's default owner group, owns it, which is what a later start checks (owns()).
// Its mandatory label, at this process's integrity level, refuses reads and writes from a lower
// level (a sandboxed process of the same user, which could otherwise open it for reading and
// hold an instance), whatever level the system would give it by default.
class UserOnly {
public:
    static constexpr DWORD kLabelPolicy = SYSTEM_MANDATORY_LABEL_NO_WRITE_UP | SYSTEM_MANDATORY_LABEL_NO_READ_UP;

    UserOnly()
        : m_user(::ownTokenInformation(TokenUser))
        , m_label(::ownTokenInformation(TokenIntegrityLevel))
    {
        if (m_user.isEmpty() || m_label.isEmpty())
            return;
        const PSID user = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;
        const PSID level = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(m_label.data())->Label.Sid;
        m_valid = makeAcl(m_acl, sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user))
                  && AddAccessAllowedAce(acl(m_acl), ACL_REVISION, FILE_ALL_ACCESS, user)
                  && makeAcl(m_sacl, sizeof(SYSTEM_MANDATORY_LABEL_ACE) + GetLengthSid(level))
                  && AddMandatoryAce(acl(m_sacl), ACL_REVISION, 0, kLabelPolicy, level)
                  && InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION)
                  && SetSecurityDescriptorOwner(&m_descriptor, user, FALSE)
                  && SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl(m_acl), FALSE)
                  && SetSecurityDescriptorSacl(&m_descriptor, TRUE, acl(m_sacl), FALSE);
        m_attributes = SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), &m_descriptor, FALSE};
    }
    UserOnly(const UserOnly&) = delete;
    UserOnly& operator=(const UserOnly&) = delete;

    SECURITY_ATTRIBUTES* attributes() { return m_valid ? &m_attributes : nullptr; }

    // Whether this user owns the pipe: the owner is fixed by whoever made the name first.
    bool owns(HANDLE pipe) const
    {
        PSID owner = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &descriptor)
            != ERROR_SUCCESS)
            return false;
        const bool ours = owner && !m_user.isEmpty() && EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(m_user.constData())->User.Sid);
        LocalFree(descriptor);
        return ours;
    }

private:
    static PACL acl(QByteArray& buffer) { return reinterpret_cast<PACL>(buffer.data()); }
    static bool makeAcl(QByteArray& buffer, DWORD aceSize)
    {
        const DWORD size = sizeof(ACL) + aceSize;
        buffer.resize(static_cast<int>(size));
        return InitializeAcl(acl(buffer), size, ACL_REVISION);
    }

    QByteArray m_user;
    QByteArray m_label;
    QByteArray m_acl;
    QByteArray m_sacl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
    bool m_valid = false;
};

// One later start's connection, checked already: answered, then read up to the message's end.
class Sender : public HandOverSender {
public:
    Sender(HANDLE pipe, HandOverServer* server)
        : HandOverSender(server)
        , m_pipe(pipe)
        , m_notifier(m_read.overlapped.hEvent)
    {
        // A sender that has written its whole message and gone needs no answer: it still counts.
        m_answer.began(WriteFile(pipe, &kChecked, 1, nullptr, m_answer.start()));
        connect(&m_notifier, &QWinEventNotifier::activated, this, &Sender::arrived);
        read();
    }
    ~Sender() override { closePipe(m_pipe, {&m_read, &m_answer, &m_taken}); }

private:
    void read()
    {
        const DWORD wanted = static_cast<DWORD>(std::min<qsizetype>(sizeof(m_chunk), room()));
        // A sender that has gone (or failed) before the end of its message is cut off: what
        // came may be part of a path.
        if (!m_read.began(ReadFile(m_pipe.get(), m_chunk, wanted, nullptr, m_read.start())))
            cutOff();
    }

    void arrived()
    {
        DWORD got = 0;
        if (!GetOverlappedResult(m_pipe.get(), &m_read.overlapped, &got, FALSE)) {
            if (GetLastError() != ERROR_IO_INCOMPLETE)
                cutOff();
            return;
        }
        const char* end = static_cast<const char*>(std::memchr(m_chunk, kEnd, got));
        if (!end) {
            if (take(m_chunk, got))
                read();
            return;
        }
        // Whatever comes after the end is no message of a later start's.
        const qsizetype size = end - m_chunk;
        if (take(m_chunk, size) && size + 1 == static_cast<qsizetype>(got))
            finished();
        else
            cutOff();
    }

    void answerTaken() override { m_taken.began(WriteFile(m_pipe.get(), &kTaken, 1, nullptr, m_taken.start())); }

    // Closing the pipe leaves what was written to it for the sender to read.
    void release() override
    {
        m_notifier.setEnabled(false);
        closePipe(m_pipe, {&m_read, &m_answer, &m_taken});
    }

    void readWhatCame() override
    {
        while (!hasEnded() && WaitForSingleObject(m_read.overlapped.hEvent, 0) == WAIT_OBJECT_0)
            arrived();
    }

    Handle m_pipe;
    Operation m_read;
    Operation m_answer;
    Operation m_taken;
    QWinEventNotifier m_notifier;
    char m_chunk[1024];
};

// One instance of the pipe, made before any later start needs it, and the wait for one to
// connect. While its connection is served (by a Sender, which then owns the pipe) it has none.
struct Instance {
    ~Instance() { closePipe(pipe, {&connecting}); }

    Handle pipe;
    Operation connecting;
    QWinEventNotifier notifier{connecting.overlapped.hEvent};
    // A later start came between creating the instance and waiting for it.
    bool connectedAtOnce = false;
};

} // namespace

struct HandOverServer::Listener {
    QString name;
    UserOnly security;
    // As many as there are places: a later start that finds them all serving waits for one.
    std::vector<std::unique_ptr<Instance>> instances;

    // Only the first instance may create the name: if it exists, someone else made it first
    // and fixed its security, and joining it would hand that someone our later starts.
    bool open(Instance& instance, bool first)
    {
        const DWORD mode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
        instance.pipe.reset(CreateNamedPipeW(wide(name), mode, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                             kMaxSenders, 16, kMaxMessage + 1, 0, security.attributes()));
        if (!instance.pipe.isValid())
            return false;
        // Windows refuses the first instance of a name that exists; where that flag is not
        // honoured (Wine), an instance besides ours, or another owner, gives the name away.
        DWORD count = 0;
        if (first
            && (!GetNamedPipeHandleStateW(instance.pipe.get(), nullptr, &count, nullptr, nullptr, nullptr, 0) || count != 1
                || !security.owns(instance.pipe.get()))) {
            instance.pipe.reset();
            return false;
        }
        return wait(instance);
    }

    bool wait(Instance& instance)
    {
        instance.connectedAtOnce = false;
        if (instance.connecting.began(ConnectNamedPipe(instance.pipe.get(), instance.connecting.start())))
            return true;
        const DWORD error = GetLastError();
        // Already connected (and maybe gone again) before the call: the event is not set.
        instance.connectedAtOnce = error == ERROR_PIPE_CONNECTED || error == ERROR_NO_DATA;
        if (instance.connectedAtOnce)
            SetEvent(instance.connecting.overlapped.hEvent);
        else
            instance.pipe.reset();
        return instance.connectedAtOnce;
    }

    // Whoever connected to the instance is checked before it takes a place, and asked nothing
    // of and told nothing unless it is this user's program; either way the instance is free.
    void arrived(HandOverServer* server, Instance& instance)
    {
        if (!instance.pipe.isValid())
            return;
        DWORD unused = 0;
        const bool connected = instance.connectedAtOnce
                               || GetOverlappedResult(instance.pipe.get(), &instance.connecting.overlapped, &unused, FALSE);
        if (!connected && GetLastError() == ERROR_IO_INCOMPLETE)
            return;
        ResetEvent(instance.connecting.overlapped.hEvent);
        instance.connecting.underWay = false;
        Handle pipe(instance.pipe.release());
        if (connected && handOverPeerSharesUserSessionIntegrity(reinterpret_cast<qintptr>(pipe.get())))
            new Sender(pipe.release(), server);
        pipe.reset();
        server->resume();
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
    Listener& listener = *m_listener;
    if (!listener.instances.empty() || serverName.isEmpty() || !listener.security.attributes())
        return false;
    listener.name = pipePath(serverName);
    auto first = std::make_unique<Instance>();
    if (!listener.open(*first, true))
        return false;
    listener.instances.push_back(std::move(first));
    while (listener.instances.size() < static_cast<size_t>(kMaxSenders))
        listener.instances.push_back(std::make_unique<Instance>());
    for (const auto& instance : listener.instances)
        connect(&instance->notifier, &QWinEventNotifier::activated, this, [this, raw = instance.get()] { m_listener->arrived(this, *raw); });
    resume();
    return true;
}

void HandOverServer::close()
{
    // With its last instance closed the name is gone: later starts find no one listening.
    m_listener->instances.clear();
    for (HandOverSender* sender : findChildren<HandOverSender*>(QString(), Qt::FindDirectChildrenOnly))
        sender->cutOff();
}

void HandOverServer::resume()
{
    const auto& instances = m_listener->instances;
    int taken = m_serving;
    for (const auto& instance : instances)
        taken += instance->pipe.isValid();
    for (const auto& instance : instances) {
        if (taken >= kMaxSenders)
            return;
        if (instance->pipe.isValid())
            continue;
        if (!m_listener->open(*instance, false)) {
            qWarning("A later start may find no place to hand its file to this copy (error %lu)", GetLastError());
            return;
        }
        ++taken;
    }
}

namespace {

// The running copy's pipe, once it has been reached within patienceMs, or when it is busy, by
// the deadline; an invalid handle when it has not.
Handle reachRunningCopy(const QString& name, int patienceMs, const QDeadlineTimer& deadline)
{
    Handle pipe;
    const bool reached = reachPatiently(patienceMs, deadline, [&] {
        // Identification only: the running copy may learn who we are, never act as us. The
        // owner is read before anything is written.
        pipe.reset(CreateFileW(wide(name), GENERIC_READ | GENERIC_WRITE | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (pipe.isValid())
            return Reach::Connected;
        const DWORD error = GetLastError();
        // Every instance serves a later start: one is free again as soon as it is done.
        if (error == ERROR_PIPE_BUSY) {
            WaitNamedPipeW(wide(name), kBusyWaitMs);
            return Reach::Busy;
        }
        return error == ERROR_FILE_NOT_FOUND ? Reach::NotListening : Reach::Failed;
    });
    if (!reached)
        pipe.reset();
    return pipe;
}

// Whether the running copy's next byte, by the deadline, is the answer expected.
bool answered(HANDLE pipe, char expected, const QDeadlineTimer& deadline)
{
    Operation operation;
    char answer = 0;
    const int remaining = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
    return operation.finish(pipe, ReadFile(pipe, &answer, 1, nullptr, operation.start()), remaining) == 1 && answer == expected;
}

} // namespace

bool handOver(const QString& path, const QString& serverName, int patienceMs)
{
    if (serverName.isEmpty())
        return false;
    const QDeadlineTimer deadline(kHandOverBoundMs);
    const Handle pipe = reachRunningCopy(pipePath(serverName), patienceMs, deadline);
    // Anyone can create a pipe of any name first, with security of his choosing, and the user's
    // own server may not be the one answering: the pipe's owner, the server's session, user and
    // integrity level must all be ours.
    if (!pipe.isValid() || !UserOnly().owns(pipe.get()) || !handOverPeerSharesUserSessionIntegrity(reinterpret_cast<qintptr>(pipe.get())))
        return false;
    // Windows lets the running copy come to the front only if the program in front allows it.
    ULONG serverId = 0;
    if (GetNamedPipeServerProcessId(pipe.get(), &serverId))
        AllowSetForegroundWindow(serverId);

    // The first answer comes once the running copy has a moment: its first window may be slow
    // to show. The second, once it has the whole message.
    const QByteArray message = path.toUtf8() + kEnd;
    Operation operation;
    return answered(pipe.get(), kChecked, deadline)
           && operation.finish(pipe.get(), WriteFile(pipe.get(), message.constData(), static_cast<DWORD>(message.size()), nullptr, operation.start()),
                               kTimeoutMs)
                  == message.size()
           && answered(pipe.get(), kTaken, deadline);
}
