// How the program starts: the application's names and fonts, then the start-up sequence.
// main() and the start-up benchmark both go through here.
#pragma once

#include "app/session.h"

#include <QDate>

#include <memory>

class SingleInstance;

// High-dpi settings, which Qt reads only before QApplication is constructed: Qt 5.15 then
// scales like Qt 6 (windows follow the screen's scale factor, fractions such as 150 % kept).
void prepareHighDpi();

// Application-wide settings made once, right after QApplication exists.
void configureApplication();

class Program {
public:
    explicit Program(Platform& platform);
    ~Program();

    // The start-up sequence: single instance, random seed, update reminder, input window,
    // promotion label. False when another copy is running: the user has been told, and this
    // copy has ended without showing a window.
    bool start(const QDate& today, quint32 seed);

    Session& session() { return m_session; }

private:
    Session m_session;
    std::unique_ptr<SingleInstance> m_instance;
};
