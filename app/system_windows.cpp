#include "app/system.h"
#include "core/product.h"
#include "ui/platform.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

#include <windows.h>
#include <sddl.h>

namespace {

// A SID as text; empty for none.
QString sidText(PSID sid)
{
    wchar_t* text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text))
        return QString();
    const QString result = QString::fromWCharArray(text);
    LocalFree(text);
    return result;
}

// Who a process is: its user, as a SID string, and its integrity level (the last part of its
// mandatory label's SID, e.g. 0x2000 for medium). An empty user when either cannot be read.
struct Identity {
    QString user;
    DWORD integrity = 0;
    bool operator==(const Identity& other) const { return !user.isEmpty() && user == other.user && integrity == other.integrity; }
};

// One piece of a token's information, in a buffer of the size it needs; empty when unreadable.
QByteArray tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind)
{
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    QByteArray buffer(static_cast<int>(size), '\0');
    if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size))
        return QByteArray();
    return buffer;
}

Identity processIdentity(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return Identity();
    const QByteArray user = tokenInformation(token, TokenUser);
    const QByteArray label = tokenInformation(token, TokenIntegrityLevel);
    CloseHandle(token);
    if (user.isEmpty() || label.isEmpty())
        return Identity();
    const PSID level = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(label.constData())->Label.Sid;
    return Identity{sidText(reinterpret_cast<const TOKEN_USER*>(user.constData())->User.Sid),
                    *GetSidSubAuthority(level, *GetSidSubAuthorityCount(level) - 1u)};
}

} // namespace

QByteArray ownTokenInformation(int kind)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return QByteArray();
    const QByteArray information = tokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(kind));
    CloseHandle(token);
    return information;
}

namespace {

const Identity& thisIdentity()
{
    static const Identity identity = processIdentity(GetCurrentProcess());
    return identity;
}

// The same user at the same integrity level: a sandboxed (low integrity) process of the user's
// is not the user's program.
bool runsAsThisProgram(ULONG processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    const Identity identity = processIdentity(process);
    CloseHandle(process);
    return identity == thisIdentity();
}

DWORD thisSession()
{
    DWORD session = 0;
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) ? session : ~DWORD(0);
}

bool isThisSession(ULONG sessionId)
{
    return sessionId == thisSession();
}

// A copy per Windows session: the user's second logon (Remote Desktop beside the console) runs
// its own, so the lock and the pipe carry the session ID.
QString perSession(const QString& name)
{
    return name + QLatin1Char('-') + QString::number(thisSession());
}

bool isPortable()
{
    static const bool portable
        = QFileInfo(QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(product::kPortableMarker))).isFile();
    return portable;
}

// Where Qt itself writes its parser's answers: to the standard handles when there is a console
// or they were handed over (redirected, or by a parent process), else to a message box.
bool hasOutput()
{
    if (GetConsoleWindow())
        return true;
    STARTUPINFOW info{};
    info.cb = sizeof(info);
    GetStartupInfoW(&info);
    return (info.dwFlags & STARTF_USESTDHANDLES) != 0;
}

} // namespace

void restrictLibrarySearch()
{
    // Looked up by name: Windows 7 has it only with an update, and without it the program must
    // still start; taking the working folder off the search path works everywhere.
    SetDllDirectoryW(L"");
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    if (const HMODULE kernel = GetModuleHandleW(L"kernel32.dll")) {
        const auto setDirectories = reinterpret_cast<SetDirectories>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
        if (setDirectories)
            setDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    }
}

void choosePortableStorage()
{
    if (!isPortable())
        return;
    // The default QSettings then writes <folder>\<publisher>\<executable>.ini.
    const QString folder = QCoreApplication::applicationDirPath();
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, folder);
    // Qt's file dialogs keep their state in the registry whatever the default format is: kept away.
    QtPlatform::setPortable();
}

QString instanceLockPath()
{
    // A portable copy keeps it in its own folder; if that cannot be written to, the program
    // runs without the lock rather than leave anything elsewhere.
    if (isPortable())
        return QDir(QCoreApplication::applicationDirPath()).filePath(perSession(QCoreApplication::applicationName()) + QStringLiteral(".lock"));
    // The per-user local application data folder: the user's own, not roamed to other
    // machines, and not the root of the home folder, which is where Qt's runtime location
    // points on Windows.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(perSession(QCoreApplication::applicationName()) + QStringLiteral(".lock"));
}

QString handOverServerName()
{
    // Pipe names are machine-wide: the user's SID keeps each user's copies apart.
    if (thisIdentity().user.isEmpty())
        return QString();
    QString name = QCoreApplication::applicationName() + QLatin1Char('-') + thisIdentity().user;
    // A portable copy has a lock of its own, in its folder, so it may run beside an installed
    // copy: its pipe is its folder's too, or each would open the files given to the other.
    if (isPortable()) {
        const QByteArray folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toLower().toUtf8();
        name += QLatin1Char('-') + QString::fromLatin1(QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16));
    }
    return perSession(name);
}

bool handOverPeerSharesUserSessionIntegrity(qintptr descriptor)
{
    const auto pipe = reinterpret_cast<HANDLE>(descriptor);
    DWORD flags = 0;
    if (!GetNamedPipeInfo(pipe, &flags, nullptr, nullptr, nullptr))
        return false;
    ULONG processId = 0;
    ULONG sessionId = 0;
    // The other end: the later start for the running copy, the running copy for a later start.
    const bool known = (flags & PIPE_SERVER_END)
                           ? GetNamedPipeClientProcessId(pipe, &processId) && GetNamedPipeClientSessionId(pipe, &sessionId)
                           : GetNamedPipeServerProcessId(pipe, &processId) && GetNamedPipeServerSessionId(pipe, &sessionId);
    return known && isThisSession(sessionId) && runsAsThisProgram(processId);
}

void prepareCommandLineOutput()
{
    if (hasOutput() || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // The C streams of a GUI program were never opened; point them at the console now.
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

void showCommandLineError(const QString& text)
{
    if (hasOutput()) {
        std::fputs(qPrintable(text), stderr);
        return;
    }
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.utf16()),
                reinterpret_cast<const wchar_t*>(QCoreApplication::applicationName().utf16()),
                MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND);
}
