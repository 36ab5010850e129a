#include "ui/platform.h"

#include "core/product.h"

#include <QAbstractPrintDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <functional>

namespace {

bool portable = false;

// A portable copy's file dialog: Qt's own, set up by setUp. The chosen file, or empty.
QString runPortableDialog(QWidget* parent, const QString& title, const QString& filter,
                          const std::function<void(QFileDialog&)>& setUp)
{
    // Refused rather than shown when Qt's memory of it could not be kept off the machine.
    if (!keepQtDialogStateAway()) {
        QtPlatform().showMessage(parent, QMessageBox::Warning,
                                 QStringLiteral("Files cannot be chosen in this portable copy: the file dialog would "
                                                "leave the folders chosen in the registry."),
                                 QMessageBox::Ok);
        return QString();
    }
    QPointer<QFileDialog> dialog = new QFileDialog(parent, title, QString(), filter);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    setUp(*dialog);
    // The parent may take the dialog with it while it is open.
    const bool accepted = dialog->exec() == QDialog::Accepted && dialog && !dialog->selectedFiles().isEmpty();
    const QString file = accepted ? dialog->selectedFiles().constFirst() : QString();
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
    keepQtDialogStateAway();
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

bool QtPlatform::canPrint()
{
    return printDialogPrintsToPdf() || !QPrinterInfo::availablePrinterNames().isEmpty();
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
