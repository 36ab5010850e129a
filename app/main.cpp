#include "frmmain.h"
#include "session.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The input window is hidden, not closed, while a reading shows; only EndProgram ends.
    QApplication::setQuitOnLastWindowClosed(false);
    QtPlatform platform;
    Session session(platform);
    frmMain mainWindow(session);
    session.setMainWindow(&mainWindow);
    mainWindow.show();
    return app.exec();
}
