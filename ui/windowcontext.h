// What the windows stand on: the reading's records, the platform seam and the About box. The
// shell owns one and hands it to every window it creates.
//
// Architecture, bottom up: core/ computes the reading (standard C++), storage/ keeps readings
// and the reminder date (Qt Core), ui/ holds the windows and what they stand on, app/ starts
// the program and moves between the windows. A layer includes only the layers below it, and
// the two working windows never include each other: they signal, app/ answers.
#pragma once

#include "core/records.h"

#include <QPointer>

class Platform;
class QDialog;
class QWidget;

class WindowContext {
public:
    WindowContext(Records& records, Platform& platform);

    Records& records() { return m_records; }
    Platform& platform() { return m_platform; }

    // Shows the About box modally over parent; returns when it is closed.
    void showAbout(QWidget* parent);
    // Closes the About box if it is open (the program is ending).
    void closeAbout();

private:
    Records& m_records;
    Platform& m_platform;
    QPointer<QDialog> m_aboutBox;
};
