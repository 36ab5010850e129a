#include "ui/weblinks.h"

#include "ui/platform.h"

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

int drawPromotionNumber(QRandomGenerator& random)
{
    return static_cast<int>(random.bounded(1, 7));
}
