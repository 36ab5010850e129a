// The running program: the shared records, the platform seam, the windows that are loaded,
// and the one way out (EndProgram).
#pragma once

#include "core/records.h"
#include "platform.h"

#include <QObject>
#include <QPointer>
#include <QRandomGenerator>

#include <functional>

class QDialog;
class QWidget;
class frmMain;
class frmDisplay;

// The six web pages the program knows.
enum class WebPage { ProductHelp, ProductUpdate, MakerHome, FullBranding, CoBranding, Donation };

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(Platform& platform, QObject* parent = nullptr);

    Records& records() { return m_records; }
    Platform& platform() { return m_platform; }

    frmMain* mainWindow() const;
    void setMainWindow(frmMain* window);
    // The result window on screen, if any; a new reading replaces it.
    frmDisplay* displayWindow() const;
    void setDisplayWindow(frmDisplay* window);

    // Opens one of the six pages through OpenWebPage (weblinks.cpp).
    void openPage(WebPage page);
    // Shows the About box modally over parent; returns when it is closed (frmabout.cpp).
    void showAbout(QWidget* parent);

    // Closes every loaded window and ends the process, once; later calls do nothing.
    void EndProgram();
    bool isEnding() const { return m_ending; }
    // What "end the process" means; tests replace it to count instead of quitting.
    void setProcessEnder(std::function<void()> ender) { m_processEnder = std::move(ender); }

    // The program's one random source; main() seeds it from the clock at start-up.
    QRandomGenerator& random() { return m_random; }

private:
    Records m_records;
    Platform& m_platform;
    QPointer<frmMain> m_mainWindow;
    QPointer<frmDisplay> m_displayWindow;
    QPointer<QDialog> m_aboutBox;
    std::function<void()> m_processEnder;
    bool m_ending = false;
    QRandomGenerator m_random;

    friend class frmAbout;
};
