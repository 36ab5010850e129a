// Placeholder until the result window is built.
#include "frmdisplay.h"
#include "ui_frmdisplay.h"

#include "session.h"
#include "frmmain.h"

#include <QCloseEvent>
#include <QTextEdit>

frmDisplay::frmDisplay(Session& session, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::frmDisplay), m_session(session)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
}
frmDisplay::~frmDisplay() { delete ui; }
void frmDisplay::setSignCaption(SignTab, const QString&) {}
void frmDisplay::setSignPicture(SignTab, int) {}
QTextEdit* frmDisplay::signReportBox(SignTab) const { return ui->RTBSunSign; }
void frmDisplay::setTabAvailable(SignTab, bool) {}
void frmDisplay::setCurrentTab(SignTab) {}
void frmDisplay::bringTabAreaToFront() {}
void frmDisplay::cmdBack_Click()
{
    m_closingByBack = true;
    close();
    if (m_session.mainWindow())
        m_session.mainWindow()->show();
}
void frmDisplay::cmdExit_Click() { close(); }
void frmDisplay::cmdMainPrint_Click() {}
void frmDisplay::cmdPrint_Click() {}
void frmDisplay::cmdSave_Click() {}
void frmDisplay::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_closingByBack)
        m_session.EndProgram();
}
