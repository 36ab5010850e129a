// The input window: name, birth date and time, the signs to find, and the reading command.
#pragma once

#include "core/records.h"
#include "ui/workingwindow.h"

#include <memory>

class QComboBox;
class WindowContext;
namespace Ui {
class frmMain;
}

class frmMain : public WorkingWindow {
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

    // Brings the co-branding label (odd draw) or the full-branding label (even draw) to the
    // front; the two share one rectangle, so only the front one is seen and clicked.
    void ChoosePromotionLabel(int draw);

signals:
    // The entries passed and the reading is in the records: show it, with these signs' tabs.
    void readingReady(const SignTicks& ticks);

public slots:
    void cmdProceed_Click();
    void mnuFindZodiacRisingSign_Click();
    void cmdOpen_Click();
    // The name box's key filter: the character to insert, or 0 to discard it.
    int txtName_KeyPress(int keyAscii);
    // Any edit of the name box by the user (typing, pasting, dropping): what it inserted obeys
    // the key filter's rule. Text set by the program is not checked.
    void txtName_Edited(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void colourControls();
    void filterNameBox();
    void connectCommands();
    void Form_Load();
    void tellOnlyLetters();

    std::unique_ptr<Ui::frmMain> ui;
    QString m_nameBefore; // the name box's text before its latest change
    QString m_nameNow;
};
