// The print/save panel's two commands: printing its report, saving the reading's details.
#pragma once

#include "core/records.h"

class Platform;
class QTextEdit;
class QWidget;

// Shows the print dialog and prints the selected text of box, or all of it when nothing is
// selected, whatever range is picked in the dialog. Cancel prints nothing; with no printer to
// choose, a message says so instead of the dialog.
void printRichText(QTextEdit& box, Platform& platform, QWidget* parent);

// Asks for a file name and writes details there; a failure other than Cancel is reported in
// a message box naming the file.
void saveReadingAs(const BirthDetails& details, Platform& platform, QWidget* parent);
