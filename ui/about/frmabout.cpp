#include "ui/about/frmabout.h"
#include "ui_frmabout.h"

#include "ui/clicklabel.h"
#include "ui/look.h"
#include "ui/platform.h"
#include "ui/weblinks.h"

#include <QIcon>
#include <QPointer>
#include <QUrl>

frmAbout::frmAbout(Platform& platform, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::frmAbout)
{
    // Before the controls exist, so they inherit it instead of being re-laid out.
    setFont(look::verdana(8.25));
    ui->setupUi(this);
    setWindowTitle(windowCaption());
    setWindowIcon(look::programIcon());
    // A plain box: no "What's this?" button beside the close box.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setModal(true);
    scaleToScreen();
    showProductAndAddress();
    colourControls();
    setFixedSize(size());
    connectLinks(platform);
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    ui->cmdOK->setFocus();
}

void frmAbout::scaleToScreen()
{
    const qreal scale = look::layoutScale(this);
    look::scaleLayout(this, scale);
    resize(look::scaled(size(), scale));
}

void frmAbout::showProductAndAddress()
{
    ui->Label2->setText(windowCaption());
    // The 128 px rendering where the screen has more pixels than the 48 px picture needs.
    ui->picIcon->setPixmap(look::programIconPixmap(ui->picIcon->width(), devicePixelRatioF()));
    // The address shown is the one the label opens.
    ui->lblHomePage->setText(QStringLiteral("Click here to visit ") + QUrl(webAddress(WebPage::MakerHome)).host());
}

void frmAbout::colourControls()
{
    look::setBackground(this, look::kDarkBrown);
    look::setTextColour(this, look::kLightGrey);
    ui->Label2->setFont(look::verdana(12, true));
    look::setTextColour(ui->Label2, look::kSkyBlue);
    look::setTextColour(ui->Label6, look::kPaleGreen);
    // Set on each, so that they do not rest on what Qt passes down from the box.
    look::setTextColour(ui->Label1, look::kLightGrey);
    look::setTextColour(ui->Line2, look::kLightGrey);
    ui->Label1->setFont(look::verdana(8.25));
    ui->Label6->setFont(look::verdana(8.25));
    for (QLabel* link : {ui->Label5, ui->lblHomePage}) {
        link->setFont(look::verdana(8.25, true));
        look::setTextColour(link, look::kLinkYellow);
    }
}

void frmAbout::connectLinks(Platform& platform)
{
    Platform* p = &platform;
    makeClickable(ui->Label5, [p] { openWebPage(*p, WebPage::FullBranding); }, true);
    makeClickable(ui->lblHomePage, [p] { openWebPage(*p, WebPage::MakerHome); }, true);
}

frmAbout::~frmAbout()
{
    delete ui;
}

void frmAbout::cmdOK_Click()
{
    accept();
}
