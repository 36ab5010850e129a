// The input window: name, birth date and time, the signs to find, and the reading command.
#pragma once

#include "core/records.h"

#include <QMainWindow>

class QComboBox;
class WindowContext;
namespace Ui {
class frmMain;
}

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(WindowContext& context, QWidget* parent = nullptr);
    ~frmMain() override;

    // True when the entries may be used for a reading; otherwise the user has been told why.
    bool ValidateInput();

    // For reopening a saved reading: set a list to one of its entries. A text the list
    // does not hold is refused and leaves the selection as it was.
    static bool setListText(QComboBox* list, const QString& text);

    // What the open command does with the chosen file: check its name, read it into the
    // entries, tick all three signs and build the reading. Also for files named from outside.
    void openReadingFile(const QString& path);

signals:
    // The entries passed and the reading is in the records: show it, with these signs' tabs.
    void readingReady(const SignTicks& ticks);
    // The window was closed: the program ends.
    void endRequested();

public slots:
    void cmdProceed_Click();
    void mnuFindZodiacRisingSign_Click();
    void cmdOpen_Click();
    void cmdExit_Click();
    // The name box's key filter: the character to insert, or 0 to discard it.
    int txtName_KeyPress(int keyAscii);
    // Any edit of the name box by the user (typing, pasting, dropping): what it inserted obeys
    // the key filter's rule. Text set by the program is not checked.
    void txtName_Edited(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();

    Ui::frmMain* ui;
    WindowContext& m_context;
    QString m_nameBefore; // the name box's text before its latest change
    QString m_nameNow;
};
