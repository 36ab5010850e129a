#include "ui/platform.h"

#include "core/product.h"

#include <QAbstractPrintDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

#include <functional>

#ifdef Q_OS_WIN
#include <QCoreApplication>

#include <string>

#include <windows.h>
#endif

namespace {

bool portable = false;

#ifdef Q_OS_WIN
// A key of this user's, made and deleted at once (volatile, so it never reaches the disk); its
// handle stays open, and every read and write through it fails. Null if it cannot be had.
HKEY deletedKey()
{
    static const HKEY key = [] {
        const std::wstring name = QStringLiteral("%1-%2")
                                      .arg(QCoreApplication::applicationName())
                                      .arg(QCoreApplication::applicationPid())
                                      .toStdWString();
        HKEY made = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_READ, nullptr,
                            &made, nullptr)
            != ERROR_SUCCESS)
            return HKEY(nullptr);
        if (RegDeleteKeyW(HKEY_CURRENT_USER, name.c_str()) == ERROR_SUCCESS)
            return made;
        RegCloseKey(made);
        return HKEY(nullptr);
    }();
    return key;
}
#endif

// Qt's file dialog reads its state (last folder, history) when it is made and writes it when it
// is destroyed, on Windows always in the registry (HKCU\Software\QtProject), whatever the
// program's own settings use. In a portable copy, while a shield lives, HKEY_CURRENT_USER stands
// for a deleted key: the dialog finds nothing and keeps nothing. It is the whole process's for
// that moment, so a thread that reads the user's registry then gets its default instead.
class QtStateShield {
public:
    QtStateShield()
    {
#ifdef Q_OS_WIN
        m_on = portable && deletedKey() && RegOverridePredefKey(HKEY_CURRENT_USER, deletedKey()) == ERROR_SUCCESS;
#endif
    }
    ~QtStateShield()
    {
#ifdef Q_OS_WIN
        if (m_on)
            RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
#endif
    }
    QtStateShield(const QtStateShield&) = delete;
    QtStateShield& operator=(const QtStateShield&) = delete;

#ifdef Q_OS_WIN
private:
    bool m_on = false;
#endif
};

// A portable copy's file dialog (Qt's own), set up by setUp: made and destroyed inside a
// shield, shown outside it. The chosen file, or empty.
QString runPortableDialog(QWidget* parent, const QString& title, const QString& filter,
                          const std::function<void(QFileDialog&)>& setUp)
{
    QPointer<QFileDialog> dialog;
    {
        const QtStateShield shield;
        dialog = new QFileDialog(parent, title, QString(), filter);
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        setUp(*dialog);
    }
    // The parent may take the dialog with it while it is open.
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog && !dialog->selectedFiles().isEmpty();
    const QString file = accepted ? dialog->selectedFiles().constFirst() : QString();
    const QtStateShield shield;
    delete dialog;
    return file;
}

void prepareSaveDialog(QFileDialog& dialog, const QString& defaultSuffix)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
}

} // namespace

void QtPlatform::setPortable()
{
    portable = true;
}

QString applicationTitle()
{
    return QString::fromLatin1(product::kName);
}

QString windowCaption()
{
    return QString::fromLatin1(product::kCaption);
}

QMessageBox::StandardButton QtPlatform::showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                                    QMessageBox::StandardButtons buttons)
{
    // A lone carriage return separates lines in the program's texts; the label needs a line feed.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(icon, applicationTitle(), shown, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString QtPlatform::getOpenFileName(QWidget* parent, const QString& title, const QString& filter)
{
    if (portable)
        return runPortableDialog(parent, title, filter,
                                 [](QFileDialog& dialog) { dialog.setFileMode(QFileDialog::ExistingFile); });
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString QtPlatform::getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix)
{
    if (portable)
        return runPortableDialog(parent, title, filter,
                                 [&defaultSuffix](QFileDialog& dialog) { prepareSaveDialog(dialog, defaultSuffix); });
    // The static helper cannot set a default suffix, so the dialog is built here.
    QFileDialog dialog(parent, title, QString(), filter);
    prepareSaveDialog(dialog, defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtPlatform::execPrintDialog(QWidget* parent, QPrinter& printer, bool hasSelection)
{
    QPrintDialog dialog(&printer, parent);
    QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
    options &= ~QAbstractPrintDialog::PrintPageRange;
    options |= QAbstractPrintDialog::PrintToFile;
    if (hasSelection)
        options |= QAbstractPrintDialog::PrintSelection;
    else
        options &= ~QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    dialog.setPrintRange(hasSelection ? QAbstractPrintDialog::Selection : QAbstractPrintDialog::AllPages);
    return dialog.exec() == QDialog::Accepted;
}

void QtPlatform::openUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}
