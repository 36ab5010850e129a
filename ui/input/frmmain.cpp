#include "ui/input/frmmain.h"
#include "ui_frmmain.h"

#include "core/zodiac.h"
#include "storage/readingfile.h"
#include "ui/clicklabel.h"
#include "ui/look.h"
#include "ui/platform.h"
#include "ui/windowcontext.h"

#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>

namespace {

// Leading and trailing blanks only, as the reading has always trimmed its entries.
QString trimBlanks(const QString& text)
{
    int first = 0;
    int last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

std::string toStd(const QString& text)
{
    return text.toUtf8().toStdString();
}

// Paints a push button's caption word-wrapped inside the button (QPushButton draws one line),
// leaving the caption itself untouched.
class WrappedCaption : public QObject {
public:
    explicit WrappedCaption(QPushButton* button)
        : QObject(button)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto* button = static_cast<QPushButton*>(watched);
        QStyleOptionButton option;
        option.initFrom(button);
        option.state |= button->isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        if (button->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        QPainter painter(button);
        button->style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, button);
        const QRect textArea = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        button->style()->drawItemText(&painter, textArea, Qt::AlignCenter | Qt::TextWordWrap, option.palette,
                                      button->isEnabled(), button->text(), QPalette::ButtonText);
        return true;
    }
};

} // namespace

frmMain::frmMain(WindowContext& context, QWidget* parent)
    : WorkingWindow(context, parent)
    , ui(std::make_unique<Ui::frmMain>())
{
    setUpForm(*ui, QSize(556, 353), {QStringLiteral("mnuHelp1"), QStringLiteral("mnuHelp2")});
    colourControls();
    filterNameBox();
    connectCommands();
    Form_Load();
    // The banner and description come first in the tab order, but typing starts in the name box.
    ui->txtName->setFocus();
}

void frmMain::colourControls()
{
    // Sky-blue frame captions, light grey captions and ticks, light grey entries and buttons.
    for (QWidget* frame : {static_cast<QWidget*>(ui->Frame2), static_cast<QWidget*>(ui->Frame3),
                           static_cast<QWidget*>(ui->Frame4), static_cast<QWidget*>(ui->Frame5)}) {
        look::setBackground(frame, look::kDarkBrown);
        look::setTextColour(frame, look::kSkyBlue);
    }
    for (QLabel* label : {ui->Label1, ui->Label3, ui->Label4, ui->Label5, ui->Label6, ui->Label7}) {
        look::setTextColour(label, look::kLightGrey);
        look::growToFitCaption(label);
    }
    for (QWidget* box : {ui->chkSign_0, ui->chkSign_1, ui->chkSign_2})
        look::setTextColour(box, look::kLightGrey);
    look::setTextColour(ui->Label2, look::kPaleGreen);
    // The name box, the lists and the buttons are drawn flat by the program's window style.
    for (QPushButton* button : {ui->cmdProceed, ui->cmdOpen, ui->cmdExit})
        button->setFont(look::verdana(8.25, true));
    // The open button's caption is long; it wraps inside the button.
    ui->cmdOpen->installEventFilter(new WrappedCaption(ui->cmdOpen));
}

void frmMain::filterNameBox()
{
    ui->txtName->installEventFilter(this);
    // Pasted, dropped and middle-click text arrives without key presses; it is checked here.
    connect(ui->txtName, &QLineEdit::textChanged, this, [this] {
        // The box's text, not the signal's: a correction made while the box reports an edit
        // is followed by a late report of the uncorrected text.
        m_nameBefore = m_nameNow;
        m_nameNow = ui->txtName->text();
    });
    connect(ui->txtName, &QLineEdit::textEdited, this, &frmMain::txtName_Edited);
}

void frmMain::connectCommands()
{
    connect(ui->cmdProceed, &QPushButton::clicked, this, &frmMain::cmdProceed_Click);
    connect(ui->mnuFindZodiacRisingSign, &QAction::triggered, this, &frmMain::mnuFindZodiacRisingSign_Click);
    connect(ui->cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    // The description label also leads to the full-branding offer.
    leadToFullBranding(ui->Label2);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    // Each list is filled in one go: item by item, every insertion re-measures the list.
    QStringList months, days, years, times;
    for (const char* month : zodiac::kMonthNames)
        months.append(QString::fromLatin1(month));
    for (int day = 1; day <= 31; ++day)
        days.append(QString::number(day));
    for (int year = 1900; year <= 2050; ++year)
        years.append(QString::number(year));
    for (const char* label : zodiac::kTimeWindowLabels)
        times.append(QString::fromLatin1(label));
    ui->cmbMonth->addItems(months);
    ui->cmbDate->addItems(days);
    ui->cmbYear->addItems(years);
    ui->cmbTime->addItems(times);
    ui->cmbDate->setCurrentIndex(0);
    ui->cmbMonth->setCurrentIndex(0);
    ui->cmbYear->setCurrentIndex(0);
    ui->cmbTime->setCurrentIndex(0);
}

int frmMain::txtName_KeyPress(int keyAscii)
{
    const bool letter = (keyAscii >= 65 && keyAscii <= 90) || (keyAscii >= 97 && keyAscii <= 122);
    if (!letter) {
        if (keyAscii == 8 || keyAscii == 13 || keyAscii == 32)
            return keyAscii;
        tellOnlyLetters();
        return 0;
    }
    if (keyAscii >= 97)
        keyAscii -= 32;
    return keyAscii;
}

void frmMain::tellOnlyLetters()
{
    context().platform().showMessage(this, QMessageBox::Information, QStringLiteral("Please Enter Only Alphabet !"));
}

void frmMain::txtName_Edited(const QString& text)
{
    // The text before this edit: the signals that record it may come either side of this one.
    const QString before = m_nameNow == text ? m_nameBefore : m_nameNow;
    int prefix = 0;
    while (prefix < before.size() && prefix < text.size() && before.at(prefix) == text.at(prefix))
        ++prefix;
    int suffix = 0;
    while (suffix < before.size() - prefix && suffix < text.size() - prefix
           && before.at(before.size() - 1 - suffix) == text.at(text.size() - 1 - suffix))
        ++suffix;
    const QString inserted = text.mid(prefix, text.size() - prefix - suffix);
    // The same rule as for typed characters, over the whole insertion: letters (in capitals)
    // and spaces, or nothing of it at all.
    QString accepted;
    bool refused = false;
    for (const QChar ch : inserted) {
        const ushort code = ch.unicode();
        if (code == 32 || (code >= 65 && code <= 90)) {
            accepted.append(ch);
        } else if (code >= 97 && code <= 122) {
            accepted.append(QChar(code - 32));
        } else {
            refused = true;
            break;
        }
    }
    if (!refused && accepted == inserted)
        return; // typed through the key filter, or already clean
    const QString result = refused ? before : text.left(prefix) + accepted + text.right(suffix);
    ui->txtName->setText(result);
    ui->txtName->setCursorPosition(refused ? prefix : prefix + accepted.size());
    if (refused) {
        // After the paste or drop has finished, not in the middle of it.
        QTimer::singleShot(0, this, &frmMain::tellOnlyLetters);
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->txtName || event->type() != QEvent::KeyPress)
        return WorkingWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    // Keys without a character (arrows, Delete, Home) and focus moves are not filtered.
    if (typed.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        return false;
    // Alt with a key is a menu or button access key, never typing: an access key that matched
    // nothing is dropped rather than inserted (AltGr, reported as Ctrl+Alt, still types).
    const Qt::KeyboardModifiers mods = key->modifiers() & (Qt::AltModifier | Qt::ControlModifier);
    if (mods == Qt::AltModifier)
        return true;
    QString accepted;
    bool unchanged = true;
    for (const QChar ch : typed) {
        const int code = txtName_KeyPress(ch.unicode());
        if (code != ch.unicode())
            unchanged = false;
        if (code != 0)
            accepted.append(QChar(code));
    }
    if (unchanged)
        return false; // let the box handle it as typed (Backspace, Enter, Space, capitals)
    if (!accepted.isEmpty())
        ui->txtName->insert(accepted);
    return true;
}

bool frmMain::ValidateInput()
{
    if (ui->txtName->text().isEmpty()) {
        context().platform().showMessage(this, QMessageBox::NoIcon, QStringLiteral("Please Enter Your Name !"));
        ui->txtName->setFocus();
        return false;
    }
    const int dayIndex = ui->cmbDate->currentIndex();
    const int monthIndex = ui->cmbMonth->currentIndex();
    const int year = ui->cmbYear->currentText().toInt();
    // Every fourth year is a leap year here, 1900 included: saved files may hold 29 February 1900.
    const bool leapYear = year % 4 == 0;
    if (monthIndex == 1 && ((leapYear && dayIndex >= 29) || (!leapYear && dayIndex >= 28))) {
        context().platform().showMessage(this, QMessageBox::Information,
                                         QStringLiteral("Please Enter Correct Date Or Month!"));
        return false;
    }
    if ((monthIndex == 3 || monthIndex == 5 || monthIndex == 8 || monthIndex == 10) && dayIndex == 30) {
        context().platform().showMessage(this, QMessageBox::Information,
                                         QStringLiteral("Please Enter Correct Date Or Month !"));
        return false;
    }
    if (!ui->chkSign_0->isChecked() && !ui->chkSign_1->isChecked() && !ui->chkSign_2->isChecked()) {
        context().platform().showMessage(this, QMessageBox::Information,
                                         QStringLiteral("Please Select To Find Sign/Signs"));
        return false;
    }
    return true;
}

void frmMain::cmdProceed_Click()
{
    if (!ValidateInput())
        return;

    Records& records = context().records();
    BirthDetails& details = records.birthDetails;
    details.Name = toStd(trimBlanks(ui->txtName->text()));
    details.Year = static_cast<std::int16_t>(trimBlanks(ui->cmbYear->currentText()).toInt());
    details.Month = toStd(trimBlanks(ui->cmbMonth->currentText()));
    details.Day = static_cast<std::int16_t>(trimBlanks(ui->cmbDate->currentText()).toInt());
    details.Time = toStd(trimBlanks(ui->cmbTime->currentText()));

    SignResults& signs = records.signResults;
    // A list without a selection (index -1) gives day or month 0, which has no sign.
    FindSunSign(signs, ui->cmbDate->currentIndex() + 1, ui->cmbMonth->currentIndex() + 1);
    signs.AscendingKey = signs.Sun + "-" + toStd(ui->cmbTime->currentText());

    FindAscendingSign(signs);
    // Without a sun sign there is no opposite sign; the record keeps its last value.
    if (zodiac::signNumber(signs.Sun) != 0)
        signs.Opposite = OppositeSign(signs.Sun);

    emit readingReady({ui->chkSign_0->isChecked(), ui->chkSign_1->isChecked(), ui->chkSign_2->isChecked()});
}

void frmMain::mnuFindZodiacRisingSign_Click()
{
    cmdProceed_Click();
}

bool frmMain::setListText(QComboBox* list, const QString& text)
{
    const int index = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return false;
    list->setCurrentIndex(index);
    return true;
}

void frmMain::cmdOpen_Click()
{
    const QString path = context().platform().getOpenFileName(this, QStringLiteral("Select the source file"),
                                                              readingFileFilter());
    if (path.isEmpty())
        return;
    openReadingFile(path);
}

void frmMain::openReadingFile(const QString& path)
{
    Platform& platform = context().platform();
    if (!path.endsWith(readingFileSuffix(), Qt::CaseSensitive)) {
        platform.showMessage(this, QMessageBox::Critical, QStringLiteral("Please Check The File."));
        return;
    }
    QStringList values;
    QString error;
    if (!readReadingFile(path, &values, &error)) {
        // Nothing in the window changes: an unreadable file must not wipe what was typed.
        platform.showMessage(this, QMessageBox::Critical,
                             QStringLiteral("The file %1 could not be read.\n%2")
                                 .arg(QDir::toNativeSeparators(path), error));
        return;
    }
    ui->txtName->setText(values.value(0));
    setListText(ui->cmbDate, values.value(1));
    setListText(ui->cmbMonth, values.value(2));
    setListText(ui->cmbYear, values.value(3));
    setListText(ui->cmbTime, values.value(4));
    ui->chkSign_0->setChecked(true);
    ui->chkSign_1->setChecked(true);
    ui->chkSign_2->setChecked(true);
    cmdProceed_Click();
}

void frmMain::ChoosePromotionLabel(int draw)
{
    const bool cobrand = draw % 2 != 0;
    QLabel* front = cobrand ? ui->lblCobrand : ui->lblFullBrand;
    QLabel* behind = cobrand ? ui->lblFullBrand : ui->lblCobrand;
    front->raise();
    front->show();
    // Hidden as well as covered, so that neither Tab nor a screen reader finds it.
    behind->hide();
}
