#include "app/startup.h"

#include "app/singleinstance.h"
#include "app/updatecheck.h"
#include "ui/input/frmmain.h"
#include "ui/platform.h"
#include "ui/weblinks.h"

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QSettings>

void prepareHighDpi()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void configureApplication()
{
    // The input window is hidden, not closed, while a reading shows; only EndProgram ends.
    QApplication::setQuitOnLastWindowClosed(false);
    // The stored setting and the single-instance lock are addressed by the executable's name.
    QCoreApplication::setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane Software"));
    // The windows are drawn in Verdana; without it, DejaVu Sans is the closest match.
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
}

Program::Program(Platform& platform)
    : m_session(platform)
{
}

Program::~Program() = default;

bool Program::start(const QDate& today, quint32 seed)
{
    m_instance = std::make_unique<SingleInstance>();
    if (!m_instance->isOnlyInstance()) {
        m_session.platform().showMessage(nullptr, QMessageBox::Information,
                                         QStringLiteral("Application is already running"));
        m_session.EndProgram();
        return false;
    }

    m_session.random().seed(seed);
    {
        QSettings settings;
        OfferUpdateCheck(m_session.platform(), settings, today);
    }
    frmMain* input = m_session.showInputWindow();
    ChoosePromotionLabel(input, drawPromotionNumber(m_session.random()));
    return true;
}
