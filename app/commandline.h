// The command line: bodyastro [FILE]. A FILE is opened as the open command opens it;
// --help and --version answer and end the process.
#pragma once

#include <QString>

#include <memory>

class QCoreApplication;

// The application object for this command line: a plain QCoreApplication when it asks for
// --help or --version, so that those answer on a terminal without a display; QApplication
// otherwise.
std::unique_ptr<QCoreApplication> createApplication(int& argc, char** argv);

// Reads the running application's command line, after configureApplication(). --help and
// --version print their text and end the process with status 0, a mistake prints what is
// wrong and ends it with status 1. Returns the absolute path of the FILE named, or an empty
// string.
QString readCommandLine();
