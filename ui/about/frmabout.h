// The About box: what the program is, and links to the maker's pages.
#pragma once

#include <QDialog>

class Platform;
namespace Ui {
class frmAbout;
}

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Platform& platform, QWidget* parent = nullptr);
    ~frmAbout() override;

public slots:
    void cmdOK_Click();

private:
    void scaleToScreen();
    void showProductAndAddress();
    void colourControls();
    void connectLinks(Platform& platform);

    Ui::frmAbout* ui;
};
