// The command line: --help and --version without a display, and the folder the program works in.
#include "app/startup.h"
#include "core/product.h"
#include "tests/common/guitest.h"
#include "tests/common/scriptedprogram.h"

#include <QStandardPaths>

class tst_commandline : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTestEnvironment(); }
    void programFolderIsLeftForDocuments();
    void helpAndVersionAnswerWithoutDisplay_data();
    void helpAndVersionAnswerWithoutDisplay();
};

void tst_commandline::programFolderIsLeftForDocuments()
{
    const QString before = QDir::currentPath();
    QTemporaryDir elsewhere;
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    leaveProgramFolder();
    QCOMPARE(QDir::current(), QDir(elsewhere.path()));
    // As from a Windows shortcut, whose working folder is the installed program's.
    QVERIFY(QDir::setCurrent(QCoreApplication::applicationDirPath()));
    leaveProgramFolder();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QDir current = QDir::current();
    QDir::setCurrent(before);
    QCOMPARE(current, QDir(QDir(documents).exists() ? documents : QDir::homePath()));
}

void tst_commandline::helpAndVersionAnswerWithoutDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("answer");
    QTest::newRow("help") << "--help" << "[FILE]";
    QTest::newRow("version") << "--version" << QStringLiteral("bodyastro %1\n").arg(QLatin1String(product::kVersion));
}

void tst_commandline::helpAndVersionAnswerWithoutDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, answer);
    SKIP_WITHOUT_SCRIPTED_PROGRAM();
    // A window system that cannot be reached: any window, or even connecting, would fail.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    ScriptedProgram process(env);
    QVERIFY(process.start({option}));
    QVERIFY2(process.endsWell(), qPrintable(process.said()));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).remove(QLatin1Char('\r'));
    QVERIFY2(out.contains(answer), qPrintable(out));
}

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
