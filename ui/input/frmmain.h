// The input window: name, birth date and time, the signs to find, and the reading command.
#pragma once

#include <QMainWindow>

class Session;
namespace Ui {
class frmMain;
}

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(Session& session, QWidget* parent = nullptr);
    ~frmMain() override;

    // True when the entries may be used for a reading; otherwise the user has been told why.
    bool ValidateInput();

    // For reopening a saved reading: set a list to one of its entries. A text the list
    // does not hold is refused and leaves the selection as it was.
    static bool setListText(class QComboBox* list, const QString& text);

public slots:
    void cmdProceed_Click();
    void mnuFindZodiacRisingSign_Click();
    void cmdOpen_Click();
    void cmdExit_Click();
    // The name box's key filter: the character to insert, or 0 to discard it.
    int txtName_KeyPress(int keyAscii);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();

    Ui::frmMain* ui;
    Session& m_session;
};
