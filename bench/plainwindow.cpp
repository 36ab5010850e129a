// The yardstick for start-up from outside: a plain Qt Widgets program whose only window is
// ReferenceWindow. It links Qt Widgets and nothing else, as such a program would.
#include "bench/referencewindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ReferenceWindow::setUpApplication();
    ReferenceWindow window;
    window.setObjectName(QStringLiteral("referenceWindow"));
    window.show();
    return app.exec();
}
