// The result window: one tab per sign, the print/save panel, Back and Exit.
#pragma once

#include <QMainWindow>
#include <QString>

class QLabel;
class QTextEdit;
class Session;
namespace Ui {
class frmDisplay;
}

// Tab indexes of BodyTab.
enum SignTab { SunTab = 0, OppositeTab = 1, AscendingTab = 2 };

class frmDisplay : public QMainWindow {
    Q_OBJECT
public:
    explicit frmDisplay(Session& session, QWidget* parent = nullptr);
    ~frmDisplay() override;

    // What the reading command writes before it shows the window.
    void setSignCaption(SignTab tab, const QString& signName);
    void setSignPicture(SignTab tab, int pictureNumber);
    QTextEdit* signReportBox(SignTab tab) const;
    void setTabAvailable(SignTab tab, bool available);
    void setCurrentTab(SignTab tab);
    void bringTabAreaToFront();

public slots:
    void cmdBack_Click();
    void cmdExit_Click();
    void cmdMainPrint_Click();
    void cmdPrint_Click();
    void cmdSave_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* signPicture(SignTab tab) const;
    QLabel* signNameLabel(SignTab tab) const;
    // Renders the picture a label stands for (its "pictureNumber") at the screen's pixel ratio.
    void renderPicture(QLabel* picture);
    void renderPictures();
    void guardAgainstCopying(QTextEdit* box);
    // Empties the clipboard when what it holds came from the reading.
    void clearReadingFromClipboard();
    bool readingContains(const QString& text) const;

    Ui::frmDisplay* ui;
    Session& m_session;
    bool m_closingByBack = false;
    bool m_placed = false;
    // Another program's clipboard text, as last fetched; forgotten when the clipboard changes.
    QString m_clipboardText;
    bool m_clipboardTextKnown = false;
};
