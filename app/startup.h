// How the program starts: the application's names and fonts, then the start-up sequence.
// main() and the start-up benchmark both go through here.
#pragma once

#include "app/session.h"

#include <QDate>

#include <memory>

class SingleInstance;

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
