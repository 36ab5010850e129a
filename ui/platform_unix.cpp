// Only Windows has a portable copy, and only there does Qt keep its file dialog's memory outside
// the program's own settings (ui/platform_windows.cpp); elsewhere there is nothing to keep away.
#include "ui/platform.h"

bool keepQtDialogStateAway()
{
    return true;
}

// Qt's own print dialog always offers a PDF file.
bool printDialogPrintsToPdf()
{
    return true;
}
