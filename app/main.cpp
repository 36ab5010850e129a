#include "frmmain.h"
#include "session.h"
#include "singleinstance.h"
#include "updatecheck.h"
#include "weblinks.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QFont>
#include <QSettings>

#include <cstdio>
#include <memory>

namespace {

// Test hook for scripted starts: with BODYASTRO_AUTO_ANSWER set, a message box is not shown
// but its text goes to stderr and it answers as if dismissed (OK, or No to a question).
class AutoAnswerPlatform : public QtPlatform {
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
    QApplication app(argc, argv);
    // The input window is hidden, not closed, while a reading shows; only EndProgram ends.
    QApplication::setQuitOnLastWindowClosed(false);
    // The stored setting and the single-instance lock are addressed by the executable's name.
    QCoreApplication::setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane Software"));
    // The windows are drawn in Verdana; without it, DejaVu Sans is the closest match.
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));

    std::unique_ptr<Platform> platform;
    if (qEnvironmentVariableIsSet("BODYASTRO_AUTO_ANSWER"))
        platform = std::make_unique<AutoAnswerPlatform>();
    else
        platform = std::make_unique<QtPlatform>();
    Session session(*platform);

    SingleInstance instance;
    if (!instance.isOnlyInstance()) {
        platform->showMessage(nullptr, QMessageBox::Information, QStringLiteral("Application is already running"));
        session.EndProgram();
        return 0;
    }

    session.random().seed(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));

    {
        QSettings settings;
        OfferUpdateCheck(*platform, settings, QDate::currentDate());
    }

    frmMain mainWindow(session);
    session.setMainWindow(&mainWindow);
    mainWindow.show();
    ChoosePromotionLabel(&mainWindow, drawPromotionNumber(session.random()));
    return app.exec();
}
