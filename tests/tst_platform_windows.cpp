// A portable copy's file dialog neither starts where Qt's memory in the user's registry says nor
// writes to it, however the dialog ends. The key is seeded and read with the system's own calls.
#include "ui/platform.h"

#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

#include <functional>

#include <windows.h>

namespace {

const wchar_t kDialogKey[] = L"Software\\QtProject\\OrganizationDefaults\\FileDialog";

// A value of the dialog's key, empty when there is none.
QString dialogValue(const wchar_t* name)
{
    wchar_t text[512] = {};
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, kDialogKey, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return QString();
    return QString::fromWCharArray(text);
}

// Once the dialog is up: its folder is kept and then whatever ends it is done.
void whenShown(QString* folder, const std::function<void(QFileDialog&)>& end)
{
    QTimer::singleShot(300, [folder, end] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        *folder = dialog->directory().absolutePath();
        end(*dialog);
    });
}

} // namespace

class TestPlatformWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        HKEY key = nullptr;
        QCOMPARE(RegCreateKeyExW(HKEY_CURRENT_USER, kDialogKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                 ERROR_SUCCESS);
        const wchar_t seeded[] = L"file:///C:/windows";
        RegSetValueExW(key, L"lastVisited", 0, REG_SZ, reinterpret_cast<const BYTE*>(seeded), sizeof(seeded));
        RegDeleteValueW(key, L"qtVersion");
        RegCloseKey(key);
        QtPlatform::setPortable();
        QVERIFY(keepQtDialogStateAway());
    }

    void dialogLeavesQtMemoryAlone_data()
    {
        QTest::addColumn<bool>("closeParent");
        QTest::newRow("cancelled") << false;
        QTest::newRow("parent closed while open") << true;
    }
    void dialogLeavesQtMemoryAlone()
    {
        QFETCH(bool, closeParent);
        auto* parent = new QWidget;
        parent->setAttribute(Qt::WA_DeleteOnClose);
        parent->show();
        QString folder;
        whenShown(&folder, [&](QFileDialog& dialog) { closeParent ? void(parent->close()) : dialog.reject(); });
        QtPlatform platform;
        QVERIFY(platform.getOpenFileName(parent, QStringLiteral("Open"), QStringLiteral("All (*)")).isEmpty());
        if (!closeParent)
            delete parent;
        QVERIFY(!folder.isEmpty());
        QVERIFY2(folder.compare(QStringLiteral("C:/windows"), Qt::CaseInsensitive) != 0, qPrintable(folder));
        QCOMPARE(dialogValue(L"lastVisited"), QStringLiteral("file:///C:/windows"));
        QCOMPARE(dialogValue(L"qtVersion"), QString());
    }
};

QTEST_MAIN(TestPlatformWindows)
#include "tst_platform_windows.moc"
