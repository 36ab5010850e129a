// What the windows stand on: the reading's records, the platform seam, the web pages and the
// About box. The shell owns one and hands it to every window it creates.
//
// Architecture, bottom up: core/ computes the reading (standard C++), storage/ keeps readings
// and the reminder date (Qt Core), ui/ holds the windows and what they stand on, app/ starts
// the program and moves between the windows. A layer includes only the layers below it, and
// the two working windows never include each other: they signal, app/ answers.
#pragma once

#include "core/records.h"
#include "ui/weblinks.h"

#include <QHash>
#include <QPixmap>
#include <QPointer>

class Platform;
class QDialog;
class QWidget;

class WindowContext {
public:
    WindowContext(Records& records, Platform& platform);

    Records& records() { return m_records; }
    Platform& platform() { return m_platform; }

    void openPage(WebPage page);
    // Shows the About box modally over parent; returns when it is closed.
    void showAbout(QWidget* parent);
    // Closes the About box if it is open (the program is ending).
    void closeAbout();

    // Sign pictures as drawn for a size and pixel ratio, kept for the rest of the run.
    QHash<QString, QPixmap>& renderedPictures() { return m_renderedPictures; }

private:
    Records& m_records;
    Platform& m_platform;
    QPointer<QDialog> m_aboutBox;
    QHash<QString, QPixmap> m_renderedPictures;
};

// Connects the Help menu, the menu-bar commands and the banner and promotional labels that both
// working windows carry (found by their names) to their pages and to the About box.
void connectWebLinks(QWidget* window, WindowContext& context);
