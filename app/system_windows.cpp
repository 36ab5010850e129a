#include "app/system.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

#include <windows.h>
#include <sddl.h>

namespace {

// The user a process runs as, as a SID string; empty when it cannot be read.
QString processUserSid(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return QString();
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    QByteArray buffer(static_cast<int>(size), '\0');
    QString sid;
    wchar_t* text = nullptr;
    if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)
        && ConvertSidToStringSidW(reinterpret_cast<const TOKEN_USER*>(buffer.constData())->User.Sid, &text)) {
        sid = QString::fromWCharArray(text);
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

const QString& thisUserSid()
{
    static const QString sid = processUserSid(GetCurrentProcess());
    return sid;
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

QString instanceLockPath()
{
    // The per-user local application data folder: the user's own, not roamed to other
    // machines, and not the root of the home folder, which is where Qt's runtime location
    // points on Windows.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QCoreApplication::applicationName() + QStringLiteral(".lock"));
}

QString handOverServerName()
{
    // Pipe names are machine-wide: the user's SID keeps each user's copies apart.
    if (thisUserSid().isEmpty())
        return QString();
    return QCoreApplication::applicationName() + QLatin1Char('-') + thisUserSid();
}

bool handOverPeerIsThisUser(qintptr descriptor)
{
    // Anyone can create a pipe of any name first; what counts is who runs its server.
    ULONG serverId = 0;
    if (!GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(descriptor), &serverId))
        return false;
    HANDLE server = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, serverId);
    if (!server)
        return false;
    const QString sid = processUserSid(server);
    CloseHandle(server);
    return !sid.isEmpty() && sid == thisUserSid();
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
