#include "app/commandline.h"
#include "app/startup.h"
#include "app/system.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>

int main(int argc, char* argv[])
{
    restrictLibrarySearch();
    prepareHighDpi();
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv);
    configureApplication();
    choosePortableStorage();
    const QString file = readCommandLine();
    leaveProgramFolder();

    QtPlatform platform;
    Program program(platform);
    if (!program.start(QDate::currentDate(), static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()), file))
        return program.handOverFailed() ? 1 : 0;
    return app->exec();
}
