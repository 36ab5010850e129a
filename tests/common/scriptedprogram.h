// The real start-up in a process of its own (tests/scripted_main.cpp: message boxes print their
// text and answer by themselves, each reading shown prints "reading: <sun sign>"), for the tests
// that start the program more than once.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Skips the running test where the build named no scripted program.
#define SKIP_WITHOUT_SCRIPTED_PROGRAM()                                                                \
    do {                                                                                               \
        if (ScriptedProgram::path().isEmpty())                                                         \
            QSKIP("BODYASTRO_SCRIPTED_EXE is not set");                                                \
    } while (false)

// A home of the test's own: settings, temporary files and the runtime folder (private to its
// owner) inside it, so that real settings and locks stay untouched. Windows ignores those
// variables, so the lock, hand-over and settings are also named outright (the runtime folder).
class PrivateHome {
public:
    explicit PrivateHome(const QString& base);
    PrivateHome();

    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    QString runtime() const;
    // Where the scripted program keeps its single-instance lock.
    QString lockPath() const;
    QProcessEnvironment environment() const;

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

class ScriptedProgram : public QProcess {
public:
    // The scripted program's path; empty where the build did not name it.
    static QString path();

    // Started as command (the program's path, or a command that runs it as someone else).
    explicit ScriptedProgram(const QProcessEnvironment& environment,
                             const QStringList& command = QStringList{path()});
    ~ScriptedProgram() override;

    bool start(const QStringList& arguments = QStringList());
    // Everything it has written to standard error so far.
    QString said();
    // Ended by itself within the time, with status 0.
    bool endsWell(int msecs = 30000);
    QString describe() const { return m_command.join(QLatin1Char(' ')); }

private:
    QStringList m_command;
    QString m_said;
};
