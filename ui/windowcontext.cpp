#include "ui/windowcontext.h"

#include "ui/about/frmabout.h"
#include "ui/clicklabel.h"
#include "ui/windowstyle.h"

#include <QAction>
#include <QLabel>

WindowContext::WindowContext(Records& records, Platform& platform)
    : m_records(records)
    , m_platform(platform)
{
    // The pictures live in a static library, whose resources must be registered by hand.
    Q_INIT_RESOURCE(assets);
    // Flat controls in the windows' colours, set once for the application.
    WindowStyle::install();
}

void WindowContext::openPage(WebPage page)
{
    openWebPage(m_platform, page);
}

void WindowContext::showAbout(QWidget* parent)
{
    QPointer<frmAbout> box = new frmAbout(m_platform, parent);
    m_aboutBox = box.data();
    box->exec();
    // The box may already be gone if the program ended while it was open and took its parent with it.
    delete box.data();
}

void WindowContext::closeAbout()
{
    if (m_aboutBox)
        m_aboutBox->reject();
}

void connectWebLinks(QWidget* window, WindowContext& context)
{
    WindowContext* s = &context;
    const struct {
        const char* action;
        WebPage page;
    } menuPages[] = {
        {"mnuOnline", WebPage::ProductHelp},  {"mnuVisit", WebPage::MakerHome},
        {"mnuUpdate", WebPage::ProductUpdate}, {"mnuDonate", WebPage::Donation},
        {"mnuMakeMoneyOnline", WebPage::FullBranding},
    };
    for (const auto& entry : menuPages) {
        if (auto* action = window->findChild<QAction*>(QLatin1String(entry.action))) {
            const WebPage page = entry.page;
            QObject::connect(action, &QAction::triggered, window, [s, page] { s->openPage(page); });
        }
    }
    if (auto* about = window->findChild<QAction*>(QStringLiteral("mnuAbout")))
        QObject::connect(about, &QAction::triggered, window, [s, window] { s->showAbout(window); });

    const struct {
        const char* label;
        WebPage page;
    } labelPages[] = {
        {"Label61", WebPage::MakerHome},
        {"lblCobrand", WebPage::CoBranding},
        {"lblFullBrand", WebPage::FullBranding},
    };
    for (const auto& entry : labelPages) {
        if (auto* label = window->findChild<QLabel*>(QLatin1String(entry.label))) {
            const WebPage page = entry.page;
            makeClickable(label, [s, page] { s->openPage(page); }, true);
        }
    }
}
