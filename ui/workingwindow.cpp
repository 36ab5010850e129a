#include "ui/workingwindow.h"

#include "ui/clicklabel.h"
#include "ui/look.h"
#include "ui/platform.h"
#include "ui/weblinks.h"
#include "ui/windowcontext.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

WorkingWindow::WorkingWindow(WindowContext& context, QWidget* parent)
    : QMainWindow(parent)
    , m_context(context)
{
    setFont(look::verdana(8.25));
}

WorkingWindow::~WorkingWindow() = default;

void WorkingWindow::setUpCommonParts(const CommonParts& parts)
{
    setWindowTitle(windowCaption());
    look::setUpWorkingWindow(this, parts.clientArea, parts.helpMenu, parts.separatorNames);
    // Light grey text on dark brown; the windows colour their own frames and captions.
    look::setTextColour(this, look::kLightGrey);
    styleBannerAndPromotion(parts);
    connect(parts.exitButton, &QPushButton::clicked, this, &WorkingWindow::cmdExit_Click);
    connect(parts.exitAction, &QAction::triggered, this, &WorkingWindow::cmdExit_Click);
    connectHelpMenu();
    connectPromotion(parts);
}

void WorkingWindow::styleBannerAndPromotion(const CommonParts& parts)
{
    look::setTextColour(parts.banner, look::kLinkYellow);
    parts.banner->setFont(look::verdana(8.25, true));
    for (QLabel* label : {parts.cobrand, parts.fullBrand}) {
        // Opaque, so that the label in front hides the one behind it.
        look::setBackground(label, look::kDarkBrown);
        look::setTextColour(label, look::kLinkYellow);
        label->setTextFormat(Qt::PlainText);
    }
    parts.fullBrand->hide();
}

void WorkingWindow::connectHelpMenu()
{
    Platform* platform = &m_context.platform();
    const struct {
        const char* action;
        WebPage page;
    } menuPages[] = {
        {"mnuOnline", WebPage::ProductHelp},  {"mnuVisit", WebPage::MakerHome},
        {"mnuUpdate", WebPage::ProductUpdate}, {"mnuDonate", WebPage::Donation},
        {"mnuMakeMoneyOnline", WebPage::FullBranding},
    };
    // The forms name these commands alike; a form without one simply lacks that page.
    for (const auto& entry : menuPages) {
        if (auto* action = findChild<QAction*>(QLatin1String(entry.action))) {
            const WebPage page = entry.page;
            connect(action, &QAction::triggered, this, [platform, page] { openWebPage(*platform, page); });
        }
    }
    if (auto* about = findChild<QAction*>(QStringLiteral("mnuAbout")))
        connect(about, &QAction::triggered, this, [this] { m_context.showAbout(this); });
}

void WorkingWindow::connectPromotion(const CommonParts& parts)
{
    Platform* platform = &m_context.platform();
    const std::pair<QLabel*, WebPage> labelPages[] = {
        {parts.banner, WebPage::MakerHome},
        {parts.cobrand, WebPage::CoBranding},
        {parts.fullBrand, WebPage::FullBranding},
    };
    for (const auto& [label, page] : labelPages) {
        const WebPage shown = page;
        makeClickable(label, [platform, shown] { openWebPage(*platform, shown); }, true);
    }
}

void WorkingWindow::leadToFullBranding(QLabel* label)
{
    Platform* platform = &m_context.platform();
    makeClickable(label, [platform] { openWebPage(*platform, WebPage::FullBranding); }, false);
}

void WorkingWindow::cmdExit_Click()
{
    close();
}

void WorkingWindow::closeQuietly()
{
    m_closingQuietly = true;
    close();
}

void WorkingWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_closingQuietly)
        emit endRequested();
}
