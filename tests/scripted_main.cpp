// The program's start-up as main() runs it, command line included, except that a message box
// is not shown: its text goes to standard error and it answers as if dismissed (OK, or No to a
// question). Each result window shown prints "reading: <sun sign>" to standard error, and
// "reading closed" when it goes; with BODYASTRO_TEST_SLOW_SHOW_MS the input window takes that
// long to show (a slow machine). With BODYASTRO_TEST_INSTANCE_DIR set, its lock, hand-over
// socket (on Windows a pipe named after the folder) and settings are in that folder: on Windows
// nothing in the environment moves the registry, the lock or the pipe away from the user's own.
// Like the program, it ends with status 1 when it could not hand its file to a running copy.
#include "app/commandline.h"
#include "app/startup.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QSettings>
#include <QThread>

#include <cstdio>
#include <utility>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

class ScriptedPlatform : public QtPlatform {
public:
    QMessageBox::StandardButton showMessage(QWidget*, QMessageBox::Icon, const QString& text,
                                            QMessageBox::StandardButtons buttons) override
    {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    }
};

class ReadingReporter : public QObject {
public:
    explicit ReadingReporter(Session& session)
        : m_session(session)
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("frmMain"))
            QThread::msleep(static_cast<unsigned long>(std::exchange(m_slowShowMs, 0)));
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("frmDisplay")) {
            std::fprintf(stderr, "reading: %s\n", m_session.records().signResults.Sun.c_str());
            std::fflush(stderr);
        }
        if (event->type() == QEvent::Hide && watched->objectName() == QLatin1String("frmDisplay")) {
            std::fprintf(stderr, "reading closed\n");
            std::fflush(stderr);
        }
        return false;
    }

private:
    Session& m_session;
    int m_slowShowMs = qEnvironmentVariableIntValue("BODYASTRO_TEST_SLOW_SHOW_MS");
};

} // namespace

int main(int argc, char* argv[])
{
#ifdef Q_OS_WIN
    // Lines end in "\n" as on every other system, for the tests that read them.
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    prepareHighDpi();
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv);
    configureApplication();
    // The same name as the real program, so the two share their lock, socket and settings.
    QCoreApplication::setApplicationName(QStringLiteral("bodyastro"));
    const QString file = readCommandLine();
    leaveProgramFolder();
    const QString privateDir = qEnvironmentVariable("BODYASTRO_TEST_INSTANCE_DIR");
    if (!privateDir.isEmpty()) {
        QSettings::setDefaultFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, privateDir);
    }
    ScriptedPlatform platform;
    Program program(platform, privateDir.isEmpty() ? InstanceNames()
                                                   : InstanceNames{QDir(privateDir).filePath(QStringLiteral("bodyastro.lock")),
                                                                   QDir(privateDir).filePath(QStringLiteral("bodyastro.socket"))});
    ReadingReporter reporter(program.session());
    app->installEventFilter(&reporter);
    if (!program.start(QDate::currentDate(), 1, file))
        return program.handOverFailed() ? 1 : 0;
    return app->exec();
}
