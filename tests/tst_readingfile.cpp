#include "core/product.h"
#include "tests/common/guitest.h"
#include "storage/readingfile.h"
#include "ui/result/printing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif
#if defined(Q_OS_LINUX) && defined(__GLIBC__)
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>

// The test replaces the C library's opens: the path in swapPath becomes a pipe just before it is
// opened, as a hostile folder could do between a check of the path and the open.
namespace {
char swapPath[4096];

void swapForPipe(const char* path)
{
    if (swapPath[0] && std::strcmp(path, swapPath) == 0) {
        swapPath[0] = 0;
        ::unlink(path);
        ::mkfifo(path, 0600);
    }
}
} // namespace

#define SWAPPING_OPEN(name, ...)                                                                 \
    extern "C" int name(__VA_ARGS__, int flags, ...)                                              \
    {                                                                                             \
        va_list args;                                                                             \
        va_start(args, flags);                                                                    \
        const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(args, unsigned)) : 0; \
        va_end(args);                                                                             \
        swapForPipe(path);                                                                        \
        static auto real = reinterpret_cast<int (*)(__VA_ARGS__, int, ...)>(dlsym(RTLD_NEXT, #name)); \
        return real(ARGS_##name, flags, mode);                                                    \
    }
#define ARGS_open path
#define ARGS_open64 path
#define ARGS_openat dir, path
#define ARGS_openat64 dir, path
SWAPPING_OPEN(open, const char* path)
SWAPPING_OPEN(open64, const char* path)
SWAPPING_OPEN(openat, int dir, const char* path)
SWAPPING_OPEN(openat64, int dir, const char* path)
#define CAN_SWAP_FOR_PIPE
#endif

namespace {

BirthDetails annDetails()
{
    return BirthDetails{"ANN", 7, "March", 1990, "8am-10am"};
}

// The stored form of one line worked out by hand: every byte raised by 62, then CR LF.
QByteArray raised(const QByteArray& plain)
{
    QByteArray out;
    for (char c : plain)
        out.append(char(static_cast<unsigned char>(c) + 62));
    return out + "\r\n";
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

} // namespace

class tst_readingfile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTestEnvironment(); }

    void roundTripOfExample()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ann.boa");
        QString error;
        QVERIFY2(writeReadingFile(path, annDetails(), &error), qPrintable(error));

        const QByteArray expected = raised("ANN") + raised("7") + raised("March") + raised("1990") + raised("8am-10am");
        QCOMPARE(readAll(path), expected);

        QStringList values;
        QVERIFY2(readReadingFile(path, &values, &error), qPrintable(error));
        QCOMPARE(values, QStringList({"ANN", "7", "March", "1990", "8am-10am"}));
    }

    void negativeNumbersAndUnshiftableCharacters()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("odd.boa");
        BirthDetails details = annDetails();
        details.Name = "\xC3\x96STEN"; // "ÖSTEN": Ö is 0xD6, which cannot be raised by 62
        details.Day = -3;
        details.Year = -32768;
        QVERIFY(writeReadingFile(path, details, nullptr));

        QCOMPARE(readAll(path).left(6), raised("STEN"));
        QStringList values;
        QVERIFY(readReadingFile(path, &values, nullptr));
        QCOMPARE(values, QStringList({"STEN", "-3", "March", "-32768", "8am-10am"}));
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("expected");

        const QByteArray a = raised("ANN").chopped(2), b = raised("7").chopped(2), c = raised("March").chopped(2),
                         d = raised("1990").chopped(2), e = raised("8am-10am").chopped(2);
        QTest::newRow("three lines") << a + "\r\n" + b + "\r\n" + c + "\r\n" << QStringList({"ANN", "7", "March", "", ""});
        QTest::newRow("CR only") << a + "\r" + b + "\r" + c + "\r" + d + "\r" + e + "\r"
                                 << QStringList({"ANN", "7", "March", "1990", "8am-10am"});
        QTest::newRow("last line unterminated") << a + "\r\n" + b + "\r\n" + c + "\r\n" + d + "\r\n" + e
                                                << QStringList({"ANN", "7", "March", "1990", "8am-10am"});
        QTest::newRow("extra lines ignored") << a + "\r\n" + b + "\r\n" + c + "\r\n" + d + "\r\n" + e + "\r\n" + a + "\r\n"
                                             << QStringList({"ANN", "7", "March", "1990", "8am-10am"});
        QTest::newRow("empty lines kept") << QByteArray("\r\n\r") + c + "\r\n"
                                          << QStringList({"", "", "March", "", ""});
        QTest::newRow("empty file") << QByteArray() << QStringList({"", "", "", "", ""});
        // A lone line feed does not end a line; it is below the shift, so it vanishes from the value.
        QTest::newRow("lone LF") << a + "\n" + b + "\r\n" + c + "\r\n" << QStringList({"ANN7", "March", "", "", ""});
        // CR at the end of one read chunk and LF at the start of the next still make one line end.
        QTest::newRow("CR LF across chunks") << QByteArray(4095, 'z') + "\r\n" + b + "\r\n"
                                             << QStringList({QString(4095, '<'), "7", "", "", ""});
        // Only the start of an over-long line is kept; the next line is still found.
        QTest::newRow("over-long line") << QByteArray(100000, 'z') + "\r\n" + b + "\r\n"
                                        << QStringList({QString(32767, '<'), "7", "", "", ""});
    }

    void lineEnds()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("lines.boa");
        writeBytes(path, content);
        QStringList values = {"left over"};
        QVERIFY(readReadingFile(path, &values, nullptr));
        QCOMPARE(values, expected);
    }

    void hugeFileWithoutLineBreaks()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("huge.boa");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            const QByteArray block(1 << 20, 'z');
            for (int i = 0; i < 50; ++i)
                QCOMPARE(file.write(block), qint64(block.size()));
        }
        QElapsedTimer timer;
        timer.start();
        QStringList values;
        QVERIFY(readReadingFile(path, &values, nullptr));
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(values.size(), 5);
        QCOMPARE(values.at(0).size(), 32767);
        QCOMPARE(values.mid(1), QStringList({"", "", "", ""}));
    }

#ifdef Q_OS_UNIX
    void openRefusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("device") << "device";
        QTest::newRow("file swapped for a pipe") << "swapped";
    }

    // Refused without blocking (a pipe would hold the window until someone writes to it), with
    // the message for unreadable files; the entries stay as they were.
    void openRefusesWhatIsNotAFile()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("odd.boa");
        const QByteArray name = QFile::encodeName(path);
        if (kind == "pipe") {
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        } else if (kind == "device") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else {
#ifdef CAN_SWAP_FOR_PIPE
            QVERIFY(writeReadingFile(path, annDetails(), nullptr));
            QVERIFY(size_t(name.size()) < sizeof swapPath);
            std::strcpy(swapPath, name.constData());
#else
            QSKIP("the opens are replaced on Linux with glibc only");
#endif
        }
        GuiFixture fx;
        QVERIFY(fx.fillEntries(Entries{QStringLiteral("BOB"), 1, QStringLiteral("May"), 1970,
                                       QStringLiteral("4am-6am"), {true, false, false}}));

        fx.platform.openFileAnswers.enqueue(path);
        ::alarm(10); // should the open block after all, the test ends instead of hanging
        QTest::mouseClick(child<QPushButton>(fx.input(), "cmdOpen"), Qt::LeftButton);
        ::alarm(0);
#ifdef CAN_SWAP_FOR_PIPE
        QVERIFY2(!swapPath[0], "the file was never opened");
#endif
        QCOMPARE(fx.platform.messages.size(), 1);
        QCOMPARE(fx.platform.messages.at(0).icon, QMessageBox::Critical);
        QVERIFY(fx.platform.messages.at(0).text.startsWith("The file " + QDir::toNativeSeparators(path) + " could not be read."));
        QCOMPARE(fx.readEntries(), QStringList({"BOB", "1", "May", "1970", "4am-6am"}));
        QVERIFY(!child<QCheckBox>(fx.input(), "chkSign_1")->isChecked());
        QVERIFY(!fx.result());
    }
#endif

    void unreadableFiles()
    {
        QTemporaryDir dir;
        QStringList values = {"kept"};
        QString error;
        QVERIFY(!readReadingFile(dir.filePath("missing.boa"), &values, &error));
        QVERIFY(!error.isEmpty());

        error.clear();
        QVERIFY(QDir(dir.path()).mkdir("folder.boa"));
        QVERIFY(!readReadingFile(dir.filePath("folder.boa"), &values, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(values, QStringList({"kept"}));
    }

    void saveThroughDialog()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ann.boa");
        writeBytes(path, QByteArray(500, 'x')); // a longer old file must not leave a tail behind
        FakePlatform platform;
        saveReadingAs(annDetails(), platform, nullptr); // cancelled: nothing written, nothing shown
        QCOMPARE(readAll(path), QByteArray(500, 'x'));
        platform.saveFileAnswers.enqueue(path);
        saveReadingAs(annDetails(), platform, nullptr);

        QCOMPARE(platform.saveDialogs.size(), 2);
        QCOMPARE(platform.saveDialogs.at(1).title, QString(product::kName));
        QCOMPARE(platform.saveDialogs.at(1).filter, expectedReadingFilter());
        QCOMPARE(platform.saveDialogs.at(1).defaultSuffix, QString(product::kReadingSuffix));
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(readAll(path), raised("ANN") + raised("7") + raised("March") + raised("1990") + raised("8am-10am"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList("ann.boa"));
    }

    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("folderReadOnly");
        QTest::newRow("missing folder") << "no such folder/old.boa" << false;
        QTest::newRow("read-only file") << "old.boa" << false;
        // The file itself could be written in place, but a failure then would destroy it.
        QTest::newRow("read-only folder") << "old.boa" << true;
    }

    // One message naming the file; the old file stays byte for byte and nothing is left beside it.
    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, target);
        QFETCH(bool, folderReadOnly);
        QTemporaryDir dir;
        const QString oldPath = dir.filePath("old.boa");
        const QByteArray old = raised("OLD") + raised("1") + raised("May") + raised("1970") + raised("4am-6am");
        writeBytes(oldPath, old);
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ExeOwner | QFile::ExeUser;
        QFile::setPermissions(folderReadOnly ? dir.path() : oldPath, readOnly);
        const auto restore = qScopeGuard([&] { QFile::setPermissions(dir.path(), readOnly | QFile::WriteOwner); });
        if (QFileInfo(dir.filePath(target)).exists()
            && QFile(folderReadOnly ? dir.filePath("probe") : oldPath).open(QIODevice::Append))
            QSKIP("read-only files and folders are writable for this user (running as root?)");

        FakePlatform platform;
        platform.saveFileAnswers.enqueue(dir.filePath(target));
        saveReadingAs(annDetails(), platform, nullptr);

        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages.at(0).icon, QMessageBox::Critical);
        QVERIFY(platform.messages.at(0).text.contains(QDir::toNativeSeparators(dir.filePath(target))));
        QCOMPARE(readAll(oldPath), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList("old.boa"));
    }

    // A full disk: the old file stays byte for byte, no new or partial file is left, and the
    // message gives the reason, both when saving over a file and when saving a new one.
    void fullDiskKeepsOldFile()
    {
#ifndef Q_OS_LINUX
        QSKIP("needs a small tmpfs");
#else
        QTemporaryDir dir;
        const QString tiny = dir.filePath("tiny");
        QVERIFY(QDir(dir.path()).mkdir("tiny"));
        QProcess mount;
        mount.start("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", tiny});
        if (!mount.waitForFinished() || mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0)
            QSKIP(qPrintable("cannot mount a small tmpfs here (needs root): " + mount.readAllStandardError().trimmed()));
        const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {tiny}); });

        const QString oldPath = tiny + "/old.boa";
        const QByteArray old = raised("OLD") + raised("1") + raised("May") + raised("1970") + raised("4am-6am");
        writeBytes(oldPath, old);
        QFile fill(tiny + "/fill");
        QVERIFY(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (fill.write(QByteArray(1024, 'f')) == 1024) {
        }
        fill.close();

        for (const QString& target : {oldPath, tiny + "/new.boa"}) {
            FakePlatform platform;
            platform.saveFileAnswers.enqueue(target);
            saveReadingAs(annDetails(), platform, nullptr);
            QCOMPARE(platform.messages.size(), 1);
            QCOMPARE(platform.messages.at(0).icon, QMessageBox::Critical);
            const QString text = platform.messages.at(0).text;
            QVERIFY2(text.contains(QDir::toNativeSeparators(target)) && text.contains("No space left on device"),
                     qPrintable(text));
        }
        QCOMPARE(readAll(oldPath), old);
        QCOMPARE(QDir(tiny).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList({"fill", "old.boa"}));
#endif
    }

    // Save from the result window, change the entries, reopen from the input window.
    void saveAndReopenThroughTheWindows()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ann.boa");
        GuiFixture fx;
        Entries ann;
        ann.ticks = {true, false, false}; // sun sign only
        frmDisplay* display = fx.readingFor(ann);
        QVERIFY(display);
        QTest::mouseClick(child<QPushButton>(display, "cmdMainPrint"), Qt::LeftButton);
        fx.platform.saveFileAnswers.enqueue(path);
        QTest::mouseClick(child<QPushButton>(display, "cmdSave"), Qt::LeftButton);
        QVERIFY(fx.platform.messages.isEmpty());
        QVERIFY(QFile::exists(path));
        fx.back();

        QVERIFY(fx.fillEntries(Entries{"BOB", 1, "January", 1900, "4am-6am", {false, false, false}}));

        fx.platform.openFileAnswers.enqueue(path);
        QTest::mouseClick(child<QPushButton>(fx.input(), "cmdOpen"), Qt::LeftButton);
        QVERIFY2(fx.platform.messages.isEmpty(), qPrintable(fx.platform.messageTexts().join('|')));
        QCOMPARE(fx.readEntries(), QStringList({"ANN", "7", "March", "1990", "8am-10am"}));
        for (const char* tick : {"chkSign_0", "chkSign_1", "chkSign_2"})
            QVERIFY(child<QCheckBox>(fx.input(), tick)->isChecked());
        display = fx.result();
        QVERIFY(display && display->isVisible());
        auto* tabs = child<QTabWidget>(display, "BodyTab");
        for (int tab = 0; tab < 3; ++tab)
            QVERIFY(tabs->isTabEnabled(tab));
        QCOMPARE(fx.session.records().signResults.Sun, std::string("Pisces"));
        QCOMPARE(fx.session.records().signResults.Ascending, std::string("Taurus"));
        fx.back();
        QCOMPARE(fx.endings, 0);
    }

    void awkwardPaths_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("letters outside ASCII") << QStringLiteral("Zo\u00eb/Lesungen/Ann Lee.boa");
        // Past the 260 characters that Windows programs were long limited to.
        QTest::newRow("long path") << QString(QString(60, QLatin1Char('d')) + '/').repeated(5) + "ann.boa";
    }

    // Saved and reopened under its native name (on Windows: drive letter and backslashes), or,
    // where the system refuses the path, one message naming the file: never a silent nothing.
    void awkwardPaths()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        const QString path = QDir::toNativeSeparators(dir.filePath(relative));
        QDir().mkpath(QFileInfo(dir.filePath(relative)).absolutePath());
        FakePlatform platform;
        platform.saveFileAnswers.enqueue(path);
        saveReadingAs(annDetails(), platform, nullptr);
        if (!platform.messages.isEmpty()) {
            QCOMPARE(platform.messages.size(), 1);
            QVERIFY(platform.messages.at(0).text.contains(path));
            QVERIFY(relative.size() > 260);
            qInfo("refused with: %s", qPrintable(platform.messages.at(0).text));
            return;
        }
        QStringList values;
        QString error;
        QVERIFY2(readReadingFile(path, &values, &error), qPrintable(error));
        QCOMPARE(values, QStringList({"ANN", "7", "March", "1990", "8am-10am"}));
    }

#ifdef Q_OS_WIN
    // Another program holds the file open and shares nothing: the save fails with a message,
    // and the old file is kept.
    void fileHeldOpenElsewhere()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("held.boa");
        const QByteArray old = raised("OLD") + raised("1") + raised("May") + raised("1970") + raised("4am-6am");
        writeBytes(path, old);
        HANDLE held = CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                                  GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
        const auto release = qScopeGuard([&] {
            if (held != INVALID_HANDLE_VALUE)
                CloseHandle(held);
        });
        FakePlatform platform;
        platform.saveFileAnswers.enqueue(path);
        saveReadingAs(annDetails(), platform, nullptr);
        QCOMPARE(platform.messages.size(), 1);
        QCOMPARE(platform.messages.at(0).icon, QMessageBox::Critical);
        QStringList values;
        QString error;
        QVERIFY(!readReadingFile(path, &values, &error) && !error.isEmpty());
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList("held.boa"));
    }
#endif
};

QTEST_MAIN(tst_readingfile)
#include "tst_readingfile.moc"
