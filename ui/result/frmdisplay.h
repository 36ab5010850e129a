// The result window: one tab per sign, the print/save panel, Back and Exit.
#pragma once

#include "core/records.h"
#include "ui/workingwindow.h"

#include <memory>

#include <QString>

class QLabel;
class QTextEdit;
class WindowContext;
namespace Ui {
class frmDisplay;
}

// Tab indexes of BodyTab.
enum SignTab { SunTab = 0, OppositeTab = 1, AscendingTab = 2 };

class frmDisplay : public WorkingWindow {
    Q_OBJECT
public:
    explicit frmDisplay(WindowContext& context, QWidget* parent = nullptr);
    ~frmDisplay() override;

    // Fills the window, before it is shown, from the reading in the records: the three sign
    // names, pictures and reports, and the tabs of the ticked signs (the last ticked is current).
    // Looks each sign up in the catalogue, so the records' catalogue fields end on the ascending sign.
    void showReading(const SignTicks& ticks);

signals:
    // Back: this window is closing and the input window should come back. Any other way of
    // closing it ends the program (endRequested).
    void backRequested();

public slots:
    void cmdBack_Click();
    void cmdMainPrint_Click();
    void cmdPrint_Click();
    void cmdSave_Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void colourFrames();
    void setUpSignHeadings();
    void setTabOrderAndFocus();
    void setUpTextBoxes();
    void connectCommands();
    void setSignCaption(SignTab tab, const QString& signName);
    void setSignPicture(SignTab tab, int pictureNumber);
    void setTabAvailable(SignTab tab, bool available);
    void bringTabAreaToFront();
    QLabel* signPicture(SignTab tab) const;
    QLabel* signNameLabel(SignTab tab) const;
    // Renders the picture a label stands for (its "pictureNumber") at the screen's pixel ratio.
    void renderPicture(QLabel* picture);
    void renderPictures();
    void guardAgainstCopying(QTextEdit* box);
    // Empties the clipboard when what it holds came from the reading.
    void clearReadingFromClipboard();
    bool readingContains(const QString& text) const;

    std::unique_ptr<Ui::frmDisplay> ui;
    bool m_watchingScreen = false;
    // Another program's clipboard text, as last fetched; forgotten when the clipboard changes.
    QString m_clipboardText;
    bool m_clipboardTextKnown = false;
};
