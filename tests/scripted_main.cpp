// The program's start-up as main() runs it, command line included, except that a message box
// is not shown: its text goes to standard error and it answers as if dismissed (OK, or No to a
// question). Each result window shown prints "reading: <sun sign>" to standard error.
#include "app/commandline.h"
#include "app/startup.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDate>
#include <QEvent>

#include <cstdio>

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
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("frmDisplay")) {
            std::fprintf(stderr, "reading: %s\n", m_session.records().signResults.Sun.c_str());
            std::fflush(stderr);
        }
        return false;
    }

private:
    Session& m_session;
};

} // namespace

int main(int argc, char* argv[])
{
    prepareHighDpi();
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv);
    configureApplication();
    // The same name as the real program, so the two share their lock, socket and settings.
    QCoreApplication::setApplicationName(QStringLiteral("bodyastro"));
    const QString file = readCommandLine();
    ScriptedPlatform platform;
    Program program(platform);
    ReadingReporter reporter(program.session());
    app->installEventFilter(&reporter);
    if (!program.start(QDate::currentDate(), 1, file))
        return 0;
    return app->exec();
}
