#include "app/startup.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>

int main(int argc, char* argv[])
{
    prepareHighDpi();
    QApplication app(argc, argv);
    configureApplication();

    QtPlatform platform;
    Program program(platform);
    if (!program.start(QDate::currentDate(), static_cast<quint32>(QDateTime::currentMSecsSinceEpoch())))
        return 0;
    return app.exec();
}
