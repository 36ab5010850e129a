#include "ui/result/frmdisplay.h"
#include "ui_frmdisplay.h"

#include "core/zodiac.h"
#include "ui/look.h"
#include "ui/result/printing.h"
#include "ui/result/reports.h"
#include "ui/windowcontext.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTextEdit>
#include <QWindow>

namespace {

const char kPictureNumber[] = "pictureNumber";

// Thirteen pictures at a size or two: each is drawn once and kept for the rest of the run (let
// go as the application ends, while the window system they were drawn for is still there).
QHash<QString, QPixmap>& keptPictures()
{
    static QHash<QString, QPixmap> pictures;
    static const bool releasedAtEnd = [] {
        qAddPostRoutine([] { pictures.clear(); });
        return true;
    }();
    Q_UNUSED(releasedAtEnd)
    return pictures;
}

QString picturePath(int number)
{
    if (number == 0)
        return QStringLiteral(":/signs/placeholder.svg");
    return QStringLiteral(":/signs/sign-%1.svg").arg(number);
}

} // namespace

frmDisplay::frmDisplay(WindowContext& context, QWidget* parent)
    : WorkingWindow(context, parent)
    , ui(std::make_unique<Ui::frmDisplay>())
{
    setUpForm(*ui, QSize(713, 433), {QStringLiteral("mnuFileSep1"), QStringLiteral("mnuFileSep2")});
    // A new window for every reading; Back and Exit both discard this one.
    setAttribute(Qt::WA_DeleteOnClose);
    colourFrames();
    setUpSignHeadings();
    setTabOrderAndFocus();
    setUpTextBoxes();
    // The pictures are drawn when the window is shown, once the reading has chosen them.
    bringTabAreaToFront();
    connectCommands();
}

void frmDisplay::colourFrames()
{
    // Dark brown frames with sky-blue captions.
    for (QWidget* frame : {static_cast<QWidget*>(ui->Frame2), static_cast<QWidget*>(ui->fraTab),
                           static_cast<QWidget*>(ui->fraSave), static_cast<QWidget*>(ui->Frame5),
                           static_cast<QWidget*>(ui->Frame1), static_cast<QWidget*>(ui->Frame3),
                           static_cast<QWidget*>(ui->Frame4), ui->tabSun, ui->tabOpposite, ui->tabAscending}) {
        look::setBackground(frame, look::kDarkBrown);
        look::setTextColour(frame, look::kSkyBlue);
    }
    // Black tab captions on light grey tab faces, like the buttons.
    look::setButtonColours(ui->BodyTab->tabBar());
    look::setTextColour(ui->BodyTab->tabBar(), Qt::black);
    // Button colours, the greyed disabled "&Print" included, are drawn by the program's window style.
    for (QPushButton* button : {ui->cmdMainPrint, ui->cmdExit, ui->cmdBack, ui->cmdSave, ui->cmdPrint})
        button->setFont(look::verdana(8.25, true));
}

void frmDisplay::setUpSignHeadings()
{
    QLabel* const captions[] = {ui->Label1, ui->Label2, ui->Label4};
    for (SignTab tab : {SunTab, OppositeTab, AscendingTab}) {
        QLabel* caption = captions[tab];
        QLabel* name = signNameLabel(tab);
        caption->setFont(look::verdana(12, true));
        look::setTextColour(caption, look::kSkyBlue);
        name->setFont(look::verdana(12, true));
        look::setTextColour(name, look::kPaleGreen);
        name->setTextFormat(Qt::PlainText);
        // The sign's name follows the caption on the same line, whatever face the font resolved to.
        // (A pixel more than the measured width: a bold glyph's ink may overhang its advance.)
        caption->resize(caption->sizeHint().width() + 1, caption->height());
        name->move(caption->x() + caption->width() + 6, name->y());
        signPicture(tab)->setProperty(kPictureNumber, 0);
    }
}

void frmDisplay::setTabOrderAndFocus()
{
    // The tab bar stands for the tab control in the tab order (the form cannot name it): after
    // the banner, before the sign tab's heading.
    QWidget::setTabOrder(ui->Label61, ui->BodyTab->tabBar());
    QWidget::setTabOrder(ui->BodyTab->tabBar(), ui->Label1);
    // The window opens with the focus on the reading, not on the banner before it.
    ui->BodyTab->setFocus();
}

void frmDisplay::setUpTextBoxes()
{
    // The copy guard fetches another program's clipboard text only after the clipboard changed.
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this] { m_clipboardTextKnown = false; });
    for (QTextEdit* box : {ui->RTBSunSign, ui->RTBOppositeSign, ui->RTBAscendentSign, ui->RTBSave}) {
        // Black on white with the desktop's scroll bars, like a document.
        QPalette palette = QApplication::palette(box);
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Text, Qt::black);
        box->setPalette(palette);
        // Read-only, but the text can still be selected (a selection is what gets printed).
        box->setReadOnly(true);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box->setTabChangesFocus(true);
        guardAgainstCopying(box);
    }
}

void frmDisplay::connectCommands()
{
    connect(ui->cmdBack, &QPushButton::clicked, this, &frmDisplay::cmdBack_Click);
    connect(ui->mnuFileBack, &QAction::triggered, this, &frmDisplay::cmdBack_Click);
    connect(ui->cmdMainPrint, &QPushButton::clicked, this, &frmDisplay::cmdMainPrint_Click);
    connect(ui->cmdPrint, &QPushButton::clicked, this, &frmDisplay::cmdPrint_Click);
    connect(ui->cmdSave, &QPushButton::clicked, this, &frmDisplay::cmdSave_Click);
    // The sun tab's heading also leads to the full-branding offer.
    leadToFullBranding(ui->Label1);
}

frmDisplay::~frmDisplay() = default;

void frmDisplay::showReading(const SignTicks& ticks)
{
    Records& records = context().records();
    const SignResults& signs = records.signResults;
    auto text = [](const std::string& name) { return QString::fromStdString(name); };

    setSignCaption(SunTab, text(signs.Sun));
    setSignCaption(AscendingTab, text(signs.Ascending));
    // Without a sun sign there is no opposite sign either; its caption and pictures stay blank.
    if (const int sun = zodiac::signNumber(signs.Sun)) {
        setSignCaption(OppositeTab, text(signs.Opposite));
        setSignPicture(SunTab, sun);
        setSignPicture(OppositeTab, zodiac::signNumber(signs.Opposite));
    }
    setSignPicture(AscendingTab, zodiac::signNumber(signs.Ascending));

    CatalogueFields& fields = records.catalogueFields;
    LookUpBodyAstrology(fields, signs.Sun);
    appendSignReport(*ui->RTBSunSign, sunPlanetHeading(), fields);
    LookUpBodyAstrology(fields, signs.Opposite);
    appendSignReport(*ui->RTBOppositeSign, oppositePlanetHeading(), fields);
    LookUpBodyAstrology(fields, signs.Ascending);
    appendSignReport(*ui->RTBAscendentSign, ascendantPlanetHeading(), fields);

    // Every reading is built; the ticks only decide which tabs open, the last ticked current.
    for (int tab = 0; tab < 3; ++tab)
        setTabAvailable(static_cast<SignTab>(tab), false);
    for (int tab = 0; tab < 3; ++tab) {
        if (ticks[tab]) {
            setTabAvailable(static_cast<SignTab>(tab), true);
            ui->BodyTab->setCurrentIndex(tab);
        }
    }
    bringTabAreaToFront();
}

QLabel* frmDisplay::signPicture(SignTab tab) const
{
    switch (tab) {
    case SunTab:
        return ui->picSunSign;
    case OppositeTab:
        return ui->picOppositeSign;
    case AscendingTab:
        break;
    }
    return ui->picAscendentSign;
}

QLabel* frmDisplay::signNameLabel(SignTab tab) const
{
    switch (tab) {
    case SunTab:
        return ui->lblYourSunSign;
    case OppositeTab:
        return ui->lblYourOppositeSign;
    case AscendingTab:
        break;
    }
    return ui->lblYourAscendingSign;
}

void frmDisplay::setSignCaption(SignTab tab, const QString& signName)
{
    signNameLabel(tab)->setText(signName);
}

void frmDisplay::setSignPicture(SignTab tab, int pictureNumber)
{
    // Only the twelve sign pictures exist; any other number leaves the picture as it is.
    if (pictureNumber < 1 || pictureNumber > 12)
        return;
    QLabel* picture = signPicture(tab);
    picture->setProperty(kPictureNumber, pictureNumber);
    if (isVisible())
        renderPicture(picture);
}

void frmDisplay::renderPicture(QLabel* picture)
{
    // Drawn from the vector picture at the screen's pixel ratio, so it stays sharp on high-DPI
    // screens; re-rendered when the window is shown or moves to another screen.
    const int side = qMin(picture->width(), picture->height());
    const qreal ratio = picture->devicePixelRatioF();
    const int number = picture->property(kPictureNumber).toInt();
    QHash<QString, QPixmap>& rendered = keptPictures();
    const QString key = QStringLiteral("%1/%2/%3").arg(number).arg(side).arg(ratio);
    auto found = rendered.constFind(key);
    if (found == rendered.constEnd()) {
        QPixmap pixmap(QSize(side, side) * ratio);
        pixmap.fill(Qt::transparent);
        QSvgRenderer renderer(picturePath(number));
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        pixmap.setDevicePixelRatio(ratio);
        found = rendered.insert(key, pixmap);
    }
    picture->setPixmap(*found);
}

void frmDisplay::renderPictures()
{
    for (SignTab tab : {SunTab, OppositeTab, AscendingTab})
        renderPicture(signPicture(tab));
}

void frmDisplay::setTabAvailable(SignTab tab, bool available)
{
    // Hidden and disabled: hiding alone does not keep every Qt version's Ctrl+Tab off the tab.
    ui->BodyTab->setTabEnabled(tab, available);
    ui->BodyTab->setTabVisible(tab, available);
    if (available || ui->BodyTab->currentIndex() != tab)
        return;
    // Never leave an unavailable tab current while another one can be opened.
    for (int other = 0; other < ui->BodyTab->count(); ++other) {
        if (ui->BodyTab->isTabEnabled(other)) {
            ui->BodyTab->setCurrentIndex(other);
            return;
        }
    }
}

void frmDisplay::bringTabAreaToFront()
{
    // The panel behind is hidden as well as covered, so its buttons' access keys cannot
    // fire (and the two "&Print" buttons never compete for Alt+P).
    ui->fraTab->show();
    ui->fraTab->raise();
    ui->fraSave->hide();
}

void frmDisplay::cmdBack_Click()
{
    closeQuietly();
    emit backRequested();
}

void frmDisplay::cmdMainPrint_Click()
{
    ui->fraSave->show();
    ui->fraSave->raise();
    ui->fraTab->hide();
    // The report is built once per window; a new reading brings a new window.
    ui->cmdMainPrint->setEnabled(false);
    appendPrintableReport(*ui->RTBSave, context().records());
}

void frmDisplay::cmdPrint_Click()
{
    printRichText(*ui->RTBSave, context().platform(), this);
}

void frmDisplay::cmdSave_Click()
{
    saveReadingAs(context().records().birthDetails, context().platform(), this);
}

void frmDisplay::showEvent(QShowEvent* event)
{
    if (!m_watchingScreen) {
        if (QWindow* window = windowHandle()) {
            m_watchingScreen = true;
            connect(window, &QWindow::screenChanged, this, &frmDisplay::renderPictures);
        }
    }
    WorkingWindow::showEvent(event);
    renderPictures();
}

void frmDisplay::guardAgainstCopying(QTextEdit* box)
{
    // Text copied out of a result box must not survive: any change of the box or any mouse
    // activity over it takes reading text off the clipboard. Moving the mouse alone counts,
    // hence tracking (a text box has it on already for its links; this must not rest on that).
    connect(box, &QTextEdit::textChanged, this, &frmDisplay::clearReadingFromClipboard);
    box->viewport()->setMouseTracking(true);
    box->viewport()->installEventFilter(this);
}

bool frmDisplay::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a double click
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        for (QTextEdit* box : {ui->RTBSunSign, ui->RTBOppositeSign, ui->RTBAscendentSign, ui->RTBSave}) {
            if (watched == box->viewport())
                clearReadingFromClipboard();
        }
        break;
    default:
        break;
    }
    // The box still gets the event, so selecting text keeps working.
    return WorkingWindow::eventFilter(watched, event);
}

void frmDisplay::clearReadingFromClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    // Only what came from the reading goes: what this program put there, or text found in one
    // of the boxes (a clipboard manager may have taken it over). Anything else the user copied
    // in another program stays.
    if (!clipboard->ownsClipboard()) {
        // Another program's text costs a round trip to that program, so it is fetched once per
        // change of the clipboard, not at every movement of the mouse.
        if (!m_clipboardTextKnown) {
            m_clipboardText = clipboard->text();
            m_clipboardTextKnown = true;
        }
        if (m_clipboardText.isEmpty() || !readingContains(m_clipboardText))
            return;
    }
    clipboard->clear();
}

bool frmDisplay::readingContains(const QString& text) const
{
    for (const QTextEdit* box : {ui->RTBSunSign, ui->RTBOppositeSign, ui->RTBAscendentSign, ui->RTBSave}) {
        if (box->toPlainText().contains(text))
            return true;
    }
    return false;
}
