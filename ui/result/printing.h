// Printing the print/save panel's report on a printer the user picks.
#pragma once

class Platform;
class QTextEdit;
class QWidget;

// Shows the print dialog and prints the selected text of box, or all of it when nothing is
// selected, whatever range is picked in the dialog. Cancel prints nothing.
void printRichText(QTextEdit& box, Platform& platform, QWidget* parent);
