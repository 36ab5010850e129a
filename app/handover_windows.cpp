// The hand-over over a named pipe, with the system's own calls and overlapped I/O watched by
// Qt Core's event notifier: Qt's local sockets would load its network library into every start,
// and they neither refuse a pipe name that someone else created first nor say who connected.
#include "app/handover.h"

#include <QEventLoop>
#include <QTimer>
#include <QWinEventNotifier>

#include <algorithm>
#include <utility>

#include <windows.h>
#include <aclapi.h>

namespace {

constexpr DWORD kTimeoutMs = HandOverServer::kSenderTimeoutMs;
// The running copy's one-byte answer once it has checked who connected: a later start writes
// only after it, so that it is still running (and can be checked) when the running copy looks.
constexpr char kChecked = '\x06';

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
    // same thread can answer; one that takes too long is cancelled.
    int finish(HANDLE pipe, BOOL answered)
    {
        if (!began(answered))
            return -1;
        if (WaitForSingleObject(overlapped.hEvent, 0) != WAIT_OBJECT_0) {
            QEventLoop loop;
            QWinEventNotifier done(overlapped.hEvent);
            QObject::connect(&done, &QWinEventNotifier::activated, &loop, &QEventLoop::quit);
            QTimer::singleShot(kTimeoutMs, &loop, &QEventLoop::quit);
            loop.exec();
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

// One piece of this process's token information, in a buffer of the size it needs.
QByteArray ownTokenInformation(TOKEN_INFORMATION_CLASS kind)
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return QByteArray();
    const Handle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), kind, nullptr, 0, &size);
    QByteArray buffer(static_cast<int>(size), '\0');
    if (size == 0 || !GetTokenInformation(token.get(), kind, buffer.data(), size, &size))
        return QByteArray();
    return buffer;
}

// The pipe's security: this user alone may open it or add instances, and the user, not an
// administrator's default owner group, owns it, which is what a later start checks (owns()).
// Its mandatory label, at this process's integrity level, refuses writes from a lower level (a
// sandboxed process of the same user), whatever level the system would give it by default.
class UserOnly {
public:
    UserOnly()
        : m_user(ownTokenInformation(TokenUser))
        , m_label(ownTokenInformation(TokenIntegrityLevel))
    {
        if (m_user.isEmpty() || m_label.isEmpty())
            return;
        const PSID user = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;
        const PSID level = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(m_label.data())->Label.Sid;
        m_valid = makeAcl(m_acl, sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user))
                  && AddAccessAllowedAce(acl(m_acl), ACL_REVISION, FILE_ALL_ACCESS, user)
                  && makeAcl(m_sacl, sizeof(SYSTEM_MANDATORY_LABEL_ACE) + GetLengthSid(level))
                  && AddMandatoryAce(acl(m_sacl), ACL_REVISION, 0, SYSTEM_MANDATORY_LABEL_NO_WRITE_UP, level)
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

// One later start's connection: checked, answered, then read until the sender closes its end.
class Sender : public HandOverSender {
public:
    Sender(HANDLE pipe, HandOverServer* server)
        : HandOverSender(server)
        , m_pipe(pipe)
        , m_notifier(m_read.overlapped.hEvent)
    {
        // Whoever connected is asked nothing of and told nothing unless it runs as this user.
        if (!handOverPeerIsThisUser(reinterpret_cast<qintptr>(pipe))) {
            cutOff();
            return;
        }
        // A sender that has written and gone needs no answer: its message is still read.
        m_answer.began(WriteFile(pipe, &kChecked, 1, nullptr, m_answer.start()));
        connect(&m_notifier, &QWinEventNotifier::activated, this, &Sender::arrived);
        read();
    }
    ~Sender() override { closePipe(m_pipe, {&m_read, &m_answer}); }

private:
    void read()
    {
        const DWORD wanted = static_cast<DWORD>(std::min<qsizetype>(sizeof(m_chunk), room()));
        if (!m_read.began(ReadFile(m_pipe.get(), m_chunk, wanted, nullptr, m_read.start())))
            ended(GetLastError());
    }

    void arrived()
    {
        DWORD got = 0;
        if (!GetOverlappedResult(m_pipe.get(), &m_read.overlapped, &got, FALSE)) {
            if (GetLastError() != ERROR_IO_INCOMPLETE)
                ended(GetLastError());
            return;
        }
        if (take(m_chunk, got))
            read();
    }

    // A pipe whose other end has closed is broken: the message is whole.
    void ended(DWORD error)
    {
        if (error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED)
            finished();
        else
            cutOff();
    }

    void release() override
    {
        m_notifier.setEnabled(false);
        closePipe(m_pipe, {&m_read, &m_answer});
    }

    Handle m_pipe;
    Operation m_read;
    Operation m_answer;
    QWinEventNotifier m_notifier;
    char m_chunk[1024];
};

} // namespace

struct HandOverServer::Listener {
    // The senders being served and the one instance that waits for the next.
    static constexpr DWORD kMaxInstances = kMaxSenders + 1;

    QString name;
    UserOnly security;
    // The instance that waits for the next later start.
    Handle waiting;
    Operation connecting;
    std::unique_ptr<QWinEventNotifier> notifier;
    // A later start came between creating the instance and waiting for it.
    bool connectedAtOnce = false;

    ~Listener() { closePipe(waiting, {&connecting}); }

    // Only the first instance may create the name: if it exists, someone else made it first
    // and fixed its security, and joining it would hand that someone our later starts.
    bool createInstance(bool first)
    {
        const DWORD mode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
        waiting.reset(CreateNamedPipeW(wide(name), mode, PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                       kMaxInstances, 16, kMaxMessage + 1, 0, security.attributes()));
        if (!waiting.isValid())
            return false;
        // Windows refuses the first instance of a name that exists; where that flag is not
        // honoured (Wine), an instance besides ours, or another owner, gives the name away.
        DWORD instances = 0;
        if (first
            && (!GetNamedPipeHandleStateW(waiting.get(), nullptr, &instances, nullptr, nullptr, nullptr, 0) || instances != 1
                || !security.owns(waiting.get()))) {
            waiting.reset();
            return false;
        }
        connectedAtOnce = false;
        if (!connecting.began(ConnectNamedPipe(waiting.get(), connecting.start()))) {
            const DWORD error = GetLastError();
            // Already connected (and maybe gone again) before the call: the event is not set.
            connectedAtOnce = error == ERROR_PIPE_CONNECTED || error == ERROR_NO_DATA;
            if (!connectedAtOnce)
                return false;
            SetEvent(connecting.overlapped.hEvent);
        }
        return true;
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
    if (listener.notifier || serverName.isEmpty() || !listener.security.attributes())
        return false;
    listener.name = pipePath(serverName);
    if (!listener.createInstance(true))
        return false;
    listener.notifier = std::make_unique<QWinEventNotifier>(listener.connecting.overlapped.hEvent);
    connect(listener.notifier.get(), &QWinEventNotifier::activated, this, [this] {
        Listener& listener = *m_listener;
        DWORD unused = 0;
        const bool connected = listener.connectedAtOnce
                               || GetOverlappedResult(listener.waiting.get(), &listener.connecting.overlapped, &unused, FALSE);
        if (!connected && GetLastError() == ERROR_IO_INCOMPLETE)
            return;
        Handle pipe(listener.waiting.release());
        // The sender first: when there are as many as may be, it frees the oldest one's
        // instance for the next one to wait on.
        if (connected)
            new Sender(pipe.release(), this);
        if (!listener.createInstance(false)) {
            listener.notifier->setEnabled(false);
            qWarning("Later starts can no longer hand files to this copy (error %lu)", GetLastError());
        }
    });
    return true;
}

namespace {

// The running copy's pipe, once it has been reached within patienceMs; an invalid handle when
// it has not.
Handle reachRunningCopy(const QString& name, int patienceMs)
{
    Handle pipe;
    const bool reached = reachPatiently(patienceMs, [&] {
        // Identification only: the running copy may learn who we are, never act as us. The
        // owner is read before anything is written.
        pipe.reset(CreateFileW(wide(name), GENERIC_READ | GENERIC_WRITE | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (pipe.isValid())
            return Reach::Connected;
        const DWORD error = GetLastError();
        if (error == ERROR_PIPE_BUSY) {
            WaitNamedPipeW(wide(name), 100);
            return Reach::NotListening;
        }
        return error == ERROR_FILE_NOT_FOUND ? Reach::NotListening : Reach::Failed;
    });
    if (!reached)
        pipe.reset();
    return pipe;
}

} // namespace

bool handOver(const QString& path, const QString& serverName, int patienceMs)
{
    if (serverName.isEmpty())
        return false;
    const Handle pipe = reachRunningCopy(pipePath(serverName), patienceMs);
    // Anyone can create a pipe of any name first, with security of his choosing, and the user's
    // own server may not be the one answering: the pipe's owner, the server's session, user and
    // integrity level must all be ours.
    if (!pipe.isValid() || !UserOnly().owns(pipe.get()) || !handOverPeerIsThisUser(reinterpret_cast<qintptr>(pipe.get())))
        return false;
    // Windows lets the running copy come to the front only if the program in front allows it.
    ULONG serverId = 0;
    if (GetNamedPipeServerProcessId(pipe.get(), &serverId))
        AllowSetForegroundWindow(serverId);

    Operation operation;
    char answer = 0;
    if (operation.finish(pipe.get(), ReadFile(pipe.get(), &answer, 1, nullptr, operation.start())) != 1
        || answer != kChecked)
        return false;
    const QByteArray message = path.toUtf8();
    if (message.isEmpty())
        return true;
    return operation.finish(pipe.get(), WriteFile(pipe.get(), message.constData(), static_cast<DWORD>(message.size()), nullptr, operation.start()))
           == message.size();
}
