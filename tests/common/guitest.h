// The one fixture of the window tests and benchmarks: a recording platform, the session with a
// counted ending, a watchdog for unexpected modal boxes, and the real input window on screen.
#pragma once

#include "app/session.h"
#include "tests/common/fakeplatform.h"
#include "ui/input/frmmain.h"
#include "ui/result/frmdisplay.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QtTest>

#include <memory>

// Records a failed check in the running test from a helper that returns a value, then returns ret.
#define HELPER_VERIFY(condition, ret)                                                                  \
    do {                                                                                               \
        if (!QTest::qVerify(static_cast<bool>(condition), #condition, "", __FILE__, __LINE__))        \
            return ret;                                                                                \
    } while (false)

// Finds any modal widget that a test did not expect (all dialogs should go through the
// FakePlatform), records its class and closes it, so the test fails instead of hanging.
class ModalWatchdog : public QObject {
    Q_OBJECT
public:
    explicit ModalWatchdog(QObject* parent = nullptr);
    QStringList unexpected;

private:
    void check();
    QTimer m_timer;
};

// Common start of every GUI test program and benchmark: test-mode settings, C locale, the
// program's pictures and window style.
void prepareGuiTestEnvironment();

// The product's identity as the user meets it, from the project's name, version and suffix:
// the windows' caption ("Corvane Body Astrology v1.0") and the file dialogs' filter.
QString expectedCaption();
QString expectedReadingFilter();

// The child of parent with the given object name; a missing one fails the running test.
template <typename T>
T* child(const QObject* parent, const char* name)
{
    T* found = parent ? parent->findChild<T*>(QLatin1String(name)) : nullptr;
    HELPER_VERIFY(found, nullptr);
    return found;
}

// The birth details and ticks of the input window.
struct Entries {
    QString name = QStringLiteral("ANN");
    int day = 7;
    QString month = QStringLiteral("March");
    int year = 1990;
    QString time = QStringLiteral("8am-10am");
    SignTicks ticks{true, true, true};
};

class GuiFixture {
public:
    GuiFixture();
    ~GuiFixture();

    FakePlatform platform;
    Session session{platform};
    ModalWatchdog watchdog;
    int endings = 0; // how often the program would have ended

    frmMain* input() const { return session.inputWindow(); }
    frmDisplay* result() const { return session.resultWindow(); }

    // Sets the name as given (no key filter), picks the four list entries and sets the ticks;
    // false (with the test failed) when a list lacks the entry.
    bool fillEntries(const Entries& entries);
    // Name, day, month, year and time as the input window shows them.
    QStringList readEntries() const;
    // Fills the entries, presses the reading button and returns the result window once shown;
    // null when no reading came up.
    frmDisplay* readingFor(const Entries& entries = Entries());
    // Back to the input window; the result window is deleted before this returns.
    void back();
};

// The base of the window tests: the environment once, and a fresh fixture (m_fx) for each test
// function, so that no test depends on another's windows or leftovers.
class FixtureTest : public QObject {
    Q_OBJECT

protected slots:
    void initTestCase() { prepareGuiTestEnvironment(); }
    void init() { m_fx = std::make_unique<GuiFixture>(); }
    void cleanup() { m_fx.reset(); }

protected:
    std::unique_ptr<GuiFixture> m_fx;
};
