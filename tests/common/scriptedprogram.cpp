#include "tests/common/scriptedprogram.h"

#include <QDir>
#include <QFile>

PrivateHome::PrivateHome(const QString& base)
    : m_dir(base + QStringLiteral("/bodyastro-XXXXXX"))
{
    m_valid = m_dir.isValid() && QDir(m_dir.path()).mkdir(QStringLiteral("run"))
              && QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

PrivateHome::PrivateHome()
    : PrivateHome(QDir::tempPath())
{
}

QString PrivateHome::runtime() const
{
    return m_dir.filePath(QStringLiteral("run"));
}

QString PrivateHome::lockPath() const
{
    // The scripted program takes the real program's name, and so its lock's.
    return QDir(runtime()).filePath(QStringLiteral("bodyastro.lock"));
}

QProcessEnvironment PrivateHome::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), path());
    env.insert(QStringLiteral("TMPDIR"), path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("BODYASTRO_TEST_INSTANCE_DIR"), runtime());
    return env;
}

QString ScriptedProgram::path()
{
    return qEnvironmentVariable("BODYASTRO_SCRIPTED_EXE");
}

ScriptedProgram::ScriptedProgram(const QProcessEnvironment& environment, const QStringList& command)
    : m_command(command)
{
    setProcessEnvironment(environment);
}

ScriptedProgram::~ScriptedProgram()
{
    if (state() != QProcess::NotRunning) {
        kill();
        waitForFinished(30000);
    }
}

bool ScriptedProgram::start(const QStringList& arguments)
{
    QProcess::start(m_command.first(), m_command.mid(1) + arguments);
    return waitForStarted();
}

QString ScriptedProgram::said()
{
    return m_said += QString::fromLocal8Bit(readAllStandardError());
}

bool ScriptedProgram::endsWell(int msecs)
{
    return waitForFinished(msecs) && exitStatus() == QProcess::NormalExit && exitCode() == 0;
}
