#include "ui/weblinks.h"

#include "ui/clicklabel.h"
#include "ui/platform.h"
#include "ui/windowcontext.h"

#include <QAction>
#include <QLabel>
#include <QRandomGenerator>
#include <QUrl>

namespace {

// Every address the program knows, in one place. The maker's host is also named in the
// banner of the input window and in the About box.
struct PageAddress {
    WebPage page;
    const char* address;
};

constexpr PageAddress kPages[] = {
    {WebPage::ProductHelp, "http://www.corvanebodyastrology.com/help.html"},
    {WebPage::ProductUpdate, "http://www.corvanebodyastrology.com/download.html"},
    {WebPage::MakerHome, "http://www.corvanesoftware.com/"},
    {WebPage::FullBranding, "http://help.corvanesoftware.com/fully-branded.html"},
    {WebPage::CoBranding, "http://help.corvanesoftware.com/co-brand.html"},
    {WebPage::Donation, "http://help.corvanesoftware.com/donate.html"},
};

} // namespace

QString webAddress(WebPage page)
{
    for (const PageAddress& entry : kPages) {
        if (entry.page == page)
            return QString::fromLatin1(entry.address);
    }
    return QString();
}

void OpenWebPage(Platform& platform, const QString& address)
{
    platform.openUrl(QUrl(address));
}

void openWebPage(Platform& platform, WebPage page)
{
    OpenWebPage(platform, webAddress(page));
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

int drawPromotionNumber(QRandomGenerator& random)
{
    return static_cast<int>(random.bounded(1, 7));
}

void ChoosePromotionLabel(QWidget* inputWindow, int draw)
{
    const bool cobrand = draw % 2 != 0;
    auto* front = inputWindow->findChild<QLabel*>(cobrand ? QStringLiteral("lblCobrand") : QStringLiteral("lblFullBrand"));
    auto* behind = inputWindow->findChild<QLabel*>(cobrand ? QStringLiteral("lblFullBrand") : QStringLiteral("lblCobrand"));
    if (!front || !behind)
        return;
    front->raise();
    front->show();
    // Hidden as well as covered, so that neither Tab nor a screen reader finds it.
    behind->hide();
}
