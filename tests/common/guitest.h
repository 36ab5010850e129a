// Shared fixture pieces for the window tests.
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

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

// Common start of every GUI test program: test-mode settings, C locale.
void prepareGuiTestEnvironment();
