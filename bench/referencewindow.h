// A plain Qt window of the same kind as the input window, built in code: the yardstick for
// start-up. About thirty widgets placed by hand (labels, frames and group boxes, a name box,
// four lists of 31, 12, 151 and 12 entries, three check boxes, three buttons), a menu bar with
// two menus and two commands, Verdana 8.25 pt with DejaVu Sans standing in, and custom colours
// set widget by widget. Nothing of the program's own code is used.
#pragma once

#include <QMainWindow>

class ReferenceWindow : public QMainWindow {
public:
    explicit ReferenceWindow(QWidget* parent = nullptr);

    // What a program does once before its first window: the font substitution.
    static void setUpApplication();
};
