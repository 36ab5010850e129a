#include "printing.h"

#include "app/platform.h"

#include <QPrinter>
#include <QTextEdit>

void printRichText(QTextEdit& box, Platform& platform, QWidget* parent)
{
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
