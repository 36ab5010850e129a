// The running program: the shared records, the platform seam, the two working windows and the
// one way out (EndProgram). Only this layer knows both windows; they signal, Session answers.
#pragma once

#include "core/records.h"
#include "ui/windowcontext.h"

#include <QObject>
#include <QPointer>
#include <QRandomGenerator>

#include <functional>
#include <memory>

class Platform;
class frmMain;
class frmDisplay;

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(Platform& platform, QObject* parent = nullptr);
    ~Session() override;

    Records& records() { return m_records; }
    Platform& platform() { return m_platform; }
    WindowContext& context() { return m_context; }

    // Creates the input window the first time and shows it.
    frmMain* showInputWindow();
    frmMain* inputWindow() const;
    // The result window on screen, if any; a new reading replaces it.
    frmDisplay* resultWindow() const;
    // The empty, hidden window built ahead for the next reading, if any.
    frmDisplay* nextResultWindow() const;

    // Swaps the input window for a fresh result window showing the reading in the records.
    void showReading(const SignTicks& ticks);

    // A reading file named from outside the input window (the command line, a later start):
    // leaves a result window through Back, opens the file as the open command does, and
    // comes to the front.
    void openReadingFile(const QString& path);
    // Raises the working window on screen (restoring it if minimised) and asks for the focus.
    void bringToFront();

    // Closes every loaded window and ends the process, once; later calls do nothing.
    void EndProgram();
    bool isEnding() const { return m_ending; }
    // What "end the process" means; tests replace it to count instead of quitting.
    void setProcessEnder(std::function<void()> ender) { m_processEnder = std::move(ender); }

    // The program's one random source, seeded from the clock at start-up.
    QRandomGenerator& random() { return m_random; }

signals:
    // EndProgram has begun: nothing new may be taken on.
    void ending();

private:
    void backToInput();
    // Builds the next reading's result window while the user is still choosing, so that the
    // reading command only fills and shows it. Each reading still gets a window of its own.
    void prepareNextResultWindow();

    Records m_records;
    Platform& m_platform;
    WindowContext m_context;
    std::unique_ptr<frmMain> m_inputWindow;
    QPointer<frmDisplay> m_resultWindow;
    QPointer<frmDisplay> m_nextResultWindow; // built, empty and hidden
    std::function<void()> m_processEnder;
    bool m_ending = false;
    QRandomGenerator m_random;
};
