#include "ui/platform.h"

#include "core/product.h"

#include <QAbstractPrintDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

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
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString QtPlatform::getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix)
{
    // The static helper cannot set a default suffix, so the dialog is built here.
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
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
