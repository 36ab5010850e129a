// The program's start-up as main() runs it, except that a message box is not shown: its text
// goes to standard error and it answers as if dismissed (OK, or No to a question).
#include "app/startup.h"
#include "ui/platform.h"

#include <QApplication>
#include <QDate>

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

} // namespace

int main(int argc, char* argv[])
{
    prepareHighDpi();
    QApplication app(argc, argv);
    configureApplication();
    // The same name as the real program, so the two share their lock and settings.
    QCoreApplication::setApplicationName(QStringLiteral("bodyastro"));
    ScriptedPlatform platform;
    Program program(platform);
    if (!program.start(QDate::currentDate(), 1))
        return 0;
    return app.exec();
}
