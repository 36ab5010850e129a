#include "ui/windowcontext.h"

#include "ui/about/frmabout.h"
#include "ui/windowstyle.h"

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
    QPointer<frmAbout> box = new frmAbout(*this, parent);
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
