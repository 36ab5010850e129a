// What differs between the systems the program runs on, each behind a plain function. One
// source file per system implements them all: system_unix.cpp and system_windows.cpp.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Called first in main(), before anything loads a library: on Windows, libraries are then looked
// for in the program's folder and the system's, never in the working folder.
void restrictLibrarySearch();

// Called once the application exists. A portable copy (a file named product::kPortableMarker
// beside the executable) keeps its setting in an INI file in its own folder, and its lock beside
// it, and writes nothing to the registry or the user's application data.
void choosePortableStorage();

// The single-instance lock: in a folder only this user can write to, kept on this machine. On
// Windows the lock and the hand-over's name carry the Windows session ID: one copy per session.
QString instanceLockPath();

// The name a running copy listens on for later starts: the path of a socket in the
// user's private runtime folder on Unix, a named pipe on Windows, whose names are seen by
// every user of the machine, so it carries the user's identity. Empty when there is none.
QString handOverServerName();

// Whether the other end of a connected hand-over socket (its descriptor, or a pipe's handle)
// runs as this user, in the same Windows session ID and at the same integrity level: a later
// start hands a file name only to the user's own copy, and a sandboxed process of the user's
// is not the user's program. Unix has only the user to compare. The pipe's owner is checked in
// handover_windows.cpp.
bool handOverPeerSharesUserSessionIntegrity(qintptr descriptor);

#ifdef Q_OS_WIN
// One piece of this process's token information (a TOKEN_INFORMATION_CLASS, such as TokenUser),
// in a buffer of the size it needs; empty when it cannot be read.
QByteArray ownTokenInformation(int kind);
#endif

// Called before the command line answers (help, version, mistakes), so that the answer
// reaches the user: a Windows GUI program starts without a console, so it takes over the
// console of the command prompt it was started from, if any.
void prepareCommandLineOutput();

// A command-line mistake of the program's own, where the user sees it: standard error, or on
// Windows, where there is no console to write to, a message box.
void showCommandLineError(const QString& text);
