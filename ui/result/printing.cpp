#include "ui/result/printing.h"

#include "storage/readingfile.h"
#include "ui/platform.h"

#include <QDir>
#include <QPrinter>
#include <QTextEdit>

void printRichText(QTextEdit& box, Platform& platform, QWidget* parent)
{
    if (!platform.canPrint()) {
        platform.showMessage(parent, QMessageBox::Information,
                             QStringLiteral("No printer is installed. Add a printer in the system's settings, or "
                                            "one that prints to PDF, and print again."));
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    const bool hasSelection = box.textCursor().hasSelection();
    if (!platform.execPrintDialog(parent, printer, hasSelection))
        return;

    // What is printed depends only on the selection, not on the range picked in the dialog:
    // QTextEdit::print prints the selection, with its formatting, exactly when the range is
    // Selection, so the range is forced here after the dialog.
    printer.setPrintRange(hasSelection ? QPrinter::Selection : QPrinter::AllPages);
    printer.setFromTo(0, 0);
    box.print(&printer);
}

void saveReadingAs(const BirthDetails& details, Platform& platform, QWidget* parent)
{
    const QString path =
        platform.getSaveFileName(parent, applicationTitle(), readingFileFilter(), readingFileSuffix());
    if (path.isEmpty())
        return;
    QString error;
    if (!writeReadingFile(path, details, &error)) {
        platform.showMessage(parent, QMessageBox::Critical,
                             QStringLiteral("The file %1 could not be saved.\n%2")
                                 .arg(QDir::toNativeSeparators(path), error));
    }
}
