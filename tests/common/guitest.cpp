#include "tests/common/guitest.h"

#include "core/product.h"
#include "ui/windowstyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStandardPaths>

ModalWatchdog::ModalWatchdog(QObject* parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalWatchdog::check);
    m_timer.start(200);
}

void ModalWatchdog::check()
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        unexpected.append(QString::fromLatin1(modal->metaObject()->className()));
        modal->close();
    }
}

void prepareGuiTestEnvironment()
{
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale::c());
    QApplication::setQuitOnLastWindowClosed(false);
    prepareProgramWindows();
}

QString expectedCaption()
{
    return QStringLiteral("%1 v%2").arg(QLatin1String(product::kName), QLatin1String(product::kVersion));
}

QString expectedReadingFilter()
{
    return QStringLiteral("%1 (*.%2)").arg(QLatin1String(product::kName), QLatin1String(product::kReadingSuffix));
}

GuiFixture::GuiFixture()
{
    session.setProcessEnder([this] { ++endings; });
    if (!QTest::qWaitForWindowExposed(session.showInputWindow()))
        QTest::qFail("the input window was never shown", __FILE__, __LINE__);
}

GuiFixture::~GuiFixture()
{
    back();
    if (!watchdog.unexpected.isEmpty())
        QTest::qFail(qPrintable(QStringLiteral("unexpected modal boxes: ") + watchdog.unexpected.join(QLatin1Char(','))),
                     __FILE__, __LINE__);
}

bool GuiFixture::fillEntries(const Entries& entries)
{
    child<QLineEdit>(input(), "txtName")->setText(entries.name);
    const QPair<const char*, QString> choices[] = {{"cmbDate", QString::number(entries.day)},
                                                   {"cmbMonth", entries.month},
                                                   {"cmbYear", QString::number(entries.year)},
                                                   {"cmbTime", entries.time}};
    for (const auto& choice : choices)
        HELPER_VERIFY(frmMain::setListText(child<QComboBox>(input(), choice.first), choice.second), false);
    const char* boxes[] = {"chkSign_0", "chkSign_1", "chkSign_2"};
    for (int i = 0; i < 3; ++i)
        child<QCheckBox>(input(), boxes[i])->setChecked(entries.ticks[i]);
    return true;
}

QStringList GuiFixture::readEntries() const
{
    QStringList values{child<QLineEdit>(input(), "txtName")->text()};
    for (const char* list : {"cmbDate", "cmbMonth", "cmbYear", "cmbTime"})
        values.append(child<QComboBox>(input(), list)->currentText());
    return values;
}

frmDisplay* GuiFixture::readingFor(const Entries& entries)
{
    if (!fillEntries(entries))
        return nullptr;
    QTest::mouseClick(child<QPushButton>(input(), "cmdProceed"), Qt::LeftButton);
    frmDisplay* display = result();
    HELPER_VERIFY(display && QTest::qWaitForWindowExposed(display), nullptr);
    return display;
}

void GuiFixture::back()
{
    if (frmDisplay* display = result())
        display->cmdBack_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
