// The Windows hand-over pipe against someone who takes its name first, and the security it is
// made with. Wine has one user: a pipe of another user's, and a client of another user, are
// only seen on a real Windows.
#include "app/handover.h"
#include "storage/readingfile.h"
#include "tests/common/scriptedprogram.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace {

QString uniqueName()
{
    return QStringLiteral("bodyastro-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

const wchar_t* pipePath(const QString& name)
{
    static QString path;
    path = QStringLiteral("\\\\.\\pipe\\") + name;
    return reinterpret_cast<const wchar_t*>(path.utf16());
}

// A pipe of that name made first by someone else, open to everyone and owned by owner (a SID
// or its SDDL abbreviation).
HANDLE takeName(const QString& name, const QString& owner)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const QString sddl = QStringLiteral("O:%1D:(A;;GA;;;WD)").arg(owner);
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(reinterpret_cast<const wchar_t*>(sddl.utf16()), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    const HANDLE pipe = CreateNamedPipeW(pipePath(name), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                         PIPE_TYPE_BYTE | PIPE_NOWAIT, PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, &attributes);
    LocalFree(descriptor);
    return pipe;
}

QString sidText(PSID sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text))
        return QString();
    const QString result = QString::fromWCharArray(text);
    LocalFree(text);
    return result;
}

QString ownerOf(HANDLE pipe)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return QString();
    const QString sid = sidText(owner);
    LocalFree(descriptor);
    return sid;
}

// A SID of this process's token: its user (TokenUser) or its integrity level (TokenIntegrityLevel),
// both of which begin with a SID_AND_ATTRIBUTES.
QString ownTokenSid(TOKEN_INFORMATION_CLASS kind)
{
    QByteArray information = ownTokenInformation(kind);
    return information.isEmpty() ? QString() : sidText(reinterpret_cast<SID_AND_ATTRIBUTES*>(information.data())->Sid);
}

QString thisUser()
{
    return ownTokenSid(TokenUser);
}

} // namespace

class tst_handover_windows : public QObject {
    Q_OBJECT

private slots:
    void takenNameIsNeitherJoinedNorWrittenTo();
    void pipeIsTheUsersAlone();
    void programWorksWithoutHandOverWhenNameIsTaken();
};

void tst_handover_windows::takenNameIsNeitherJoinedNorWrittenTo()
{
    // Taken by this same user (all that Wine, with one user, can show): still not joined.
    const QString name = uniqueName();
    const HANDLE own = takeName(name, thisUser());
    QVERIFY(own != INVALID_HANDLE_VALUE);
    HandOverServer server;
    QVERIFY(!server.listen(name));
    CloseHandle(own);

    // Taken under another owner (Local Service), where the system lets the test name one, by a
    // holder that answers as the program would (Wine runs it as this user): the later start
    // sends nothing, and the holder reads nothing.
    const QString foreign = uniqueName();
    const HANDLE squatter = takeName(foreign, QStringLiteral("LS"));
    if (squatter == INVALID_HANDLE_VALUE || ownerOf(squatter) == thisUser()) {
        CloseHandle(squatter);
        QSKIP("No pipe of a foreign owner can be made here");
    }
    QVERIFY(!server.listen(foreign));
    ConnectNamedPipe(squatter, nullptr); // not waiting: PIPE_NOWAIT
    QTimer::singleShot(0, [squatter] {
        DWORD written = 0;
        WriteFile(squatter, "\x06", 1, &written, nullptr);
    });
    QVERIFY(!handOver(QStringLiteral("C:/a.boa"), foreign, 0));
    DWORD waiting = 0; // also when the pipe is broken, as it is once the later start has gone
    PeekNamedPipe(squatter, nullptr, 0, nullptr, &waiting, nullptr);
    QCOMPARE(waiting, DWORD(0));
    CloseHandle(squatter);
}

void tst_handover_windows::pipeIsTheUsersAlone()
{
    const QString name = uniqueName();
    HandOverServer server;
    QSignalSpy requests(&server, &HandOverServer::requested);
    QVERIFY(server.listen(name));
    // A second server of the same user cannot add itself either.
    HandOverServer second;
    QVERIFY(!second.listen(name));

    const HANDLE client = CreateFileW(pipePath(name), READ_CONTROL, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    QVERIFY(client != INVALID_HANDLE_VALUE);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PACL sacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    QCOMPARE(GetSecurityInfo(client, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | LABEL_SECURITY_INFORMATION,
                             &owner, nullptr, &dacl, &sacl, &descriptor),
             DWORD(ERROR_SUCCESS));
    CloseHandle(client);
    QCOMPARE(sidText(owner), thisUser());
    QVERIFY(dacl);
    QCOMPARE(int(dacl->AceCount), 1);
    ACCESS_ALLOWED_ACE* ace = nullptr;
    QVERIFY(GetAce(dacl, 0, reinterpret_cast<void**>(&ace)));
    QCOMPARE(int(ace->Header.AceType), ACCESS_ALLOWED_ACE_TYPE);
    QCOMPARE(sidText(&ace->SidStart), thisUser());
    // Labelled at this process's integrity level: nothing below it may read or write.
    SYSTEM_MANDATORY_LABEL_ACE* label = nullptr;
    QVERIFY(sacl && GetAce(sacl, 0, reinterpret_cast<void**>(&label)));
    QCOMPARE(int(label->Header.AceType), SYSTEM_MANDATORY_LABEL_ACE_TYPE);
    QCOMPARE(label->Mask, DWORD(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP | SYSTEM_MANDATORY_LABEL_NO_READ_UP));
    QCOMPARE(sidText(&label->SidStart), ownTokenSid(TokenIntegrityLevel));
    LocalFree(descriptor);

    // And the user's own later start still gets through (after the look above, which the
    // server takes for a call to the front although it left before the answer, once the server
    // has a new instance waiting).
    QTRY_VERIFY(WaitNamedPipeW(pipePath(name), 1));
    QVERIFY(handOver(QStringLiteral("C:/b.boa"), name, 0));
    QTRY_VERIFY(requests.contains(QVariantList{QStringLiteral("C:/b.boa")}));
}

void tst_handover_windows::programWorksWithoutHandOverWhenNameIsTaken()
{
    SKIP_WITHOUT_SCRIPTED_PROGRAM();
    PrivateHome home;
    QVERIFY(home.isValid());
    QTemporaryDir files;
    const QString ann = files.filePath(QStringLiteral("ANN.boa"));
    QString error;
    QVERIFY(writeReadingFile(ann, BirthDetails{"ANN", 7, "March", 1990, "8am-10am"}, &error));
    // The scripted program's pipe, taken by another process before it starts: it neither
    // joins it nor complains, and opens its own file.
    const HANDLE squatter = takeName(QDir(home.runtime()).filePath(QStringLiteral("bodyastro.socket")), thisUser());
    QVERIFY(squatter != INVALID_HANDLE_VALUE);
    ScriptedProgram first(home.environment());
    QVERIFY(first.start({ann}));
    QTRY_VERIFY2_WITH_TIMEOUT(first.said().contains(QStringLiteral("reading: Pisces\n")), qPrintable(first.said()), 30000);
    CloseHandle(squatter);
    // A later start cannot hand its file over, and says so rather than end as if it had.
    ScriptedProgram second(home.environment());
    QVERIFY(second.start({ann}));
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitCode(), 1);
    QVERIFY2(second.said().contains(QStringLiteral("could not be handed")), qPrintable(second.said()));
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY2(!first.said().contains(QStringLiteral("message: ")), qPrintable(first.said()));
}

QTEST_GUILESS_MAIN(tst_handover_windows)
#include "tst_handover_windows.moc"
