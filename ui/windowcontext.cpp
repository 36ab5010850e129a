#include "ui/windowcontext.h"

#include "ui/about/frmabout.h"

WindowContext::WindowContext(Records& records, Platform& platform)
    : m_records(records)
    , m_platform(platform)
{
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
