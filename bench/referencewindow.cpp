#include "bench/referencewindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QStringList>

namespace {

const QColor kBrown{0x43, 0x32, 0x12};
const QColor kBlue{0x20, 0xBF, 0xDB};
const QColor kGrey{0xE0, 0xE0, 0xE0};
const QColor kGreen{0xC0, 0xFF, 0xC0};
const QColor kYellow{0xFF, 0xFF, 0x80};

QFont verdana(bool bold = false)
{
    QFont font(QStringLiteral("Verdana"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    font.setBold(bold);
    return font;
}

void colour(QWidget* widget, std::initializer_list<QPalette::ColorRole> roles, const QColor& colour)
{
    QPalette palette = widget->palette();
    for (QPalette::ColorRole role : roles)
        palette.setColor(role, colour);
    widget->setPalette(palette);
}

void background(QWidget* widget, const QColor& fill)
{
    colour(widget, {QPalette::Window, QPalette::Base}, fill);
    widget->setAutoFillBackground(true);
}

void textColour(QWidget* widget, const QColor& text)
{
    colour(widget, {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, text);
}

QLabel* label(QWidget* parent, const QString& text, QRect geometry, const QColor& text_colour, bool wrap = false)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(geometry);
    l->setWordWrap(wrap);
    textColour(l, text_colour);
    return l;
}

QComboBox* list(QWidget* parent, QRect geometry, const QStringList& items)
{
    auto* box = new QComboBox(parent);
    box->setGeometry(geometry);
    box->addItems(items);
    colour(box, {QPalette::Base, QPalette::Button, QPalette::Window}, kBrown);
    colour(box, {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}, kGrey);
    return box;
}

QPushButton* button(QWidget* parent, const QString& text, QRect geometry)
{
    auto* b = new QPushButton(text, parent);
    b->setGeometry(geometry);
    b->setFont(verdana(true));
    colour(b, {QPalette::Button}, kGrey);
    colour(b, {QPalette::ButtonText}, Qt::black);
    return b;
}

QFrame* frame(QWidget* parent, QRect geometry)
{
    auto* f = new QFrame(parent);
    f->setGeometry(geometry);
    background(f, kBrown);
    textColour(f, kBlue);
    return f;
}

QGroupBox* group(QWidget* parent, const QString& title, QRect geometry)
{
    auto* g = new QGroupBox(title, parent);
    g->setGeometry(geometry);
    background(g, kBrown);
    textColour(g, kBlue);
    return g;
}

} // namespace

void ReferenceWindow::setUpApplication()
{
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
}

ReferenceWindow::ReferenceWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setFont(verdana());
    setWindowTitle(QStringLiteral("Reference window"));

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Find the result"));
    file->addAction(QStringLiteral("E&xit"));
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Online help"));
    help->addAction(QStringLiteral("&Visit us online"));
    help->addSeparator();
    help->addAction(QStringLiteral("Check for &updates"));
    help->addSeparator();
    help->addAction(QStringLiteral("&About"));
    menuBar()->addAction(QStringLiteral("&Donate"));
    menuBar()->addAction(QStringLiteral("Make Money &Online"))->setEnabled(false);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    background(this, kBrown);
    textColour(this, kGrey);

    QFrame* top = frame(central, {0, 0, 555, 49});
    label(top, QStringLiteral("Join the discussion board and share your results - www.example.com"), {8, 4, 539, 41},
          kYellow, true)
        ->setFont(verdana(true));
    label(central,
          QStringLiteral("This window describes what the program does in two lines of wrapped text, "
                         "as long as the description of the real window and about as wordy."),
          {8, 52, 540, 42}, kGreen, true);

    QGroupBox* details = group(central, QStringLiteral("Enter Your Details"), {0, 96, 555, 201});
    label(details, QStringLiteral("Name:-"), {8, 30, 47, 13}, kGrey);
    auto* name = new QLineEdit(details);
    name->setGeometry(112, 24, 241, 25);
    colour(name, {QPalette::Base, QPalette::Button, QPalette::Window}, kBrown);
    colour(name, {QPalette::Text, QPalette::ButtonText, QPalette::WindowText}, kGrey);
    label(details, QStringLiteral("Time Of Birth:-"), {8, 69, 95, 13}, kGrey);
    label(details, QStringLiteral("Date"), {120, 96, 27, 13}, kGrey);
    label(details, QStringLiteral("Month"), {200, 96, 34, 13}, kGrey);
    label(details, QStringLiteral("Year"), {304, 96, 26, 13}, kGrey);
    label(details, QStringLiteral("Date Of Birth:-"), {8, 120, 93, 13}, kGrey);

    QStringList days, months, years, times;
    for (int day = 1; day <= 31; ++day)
        days.append(QString::number(day));
    for (const char* month : {"January", "February", "March", "April", "May", "June", "July", "August",
                              "September", "October", "November", "December"})
        months.append(QString::fromLatin1(month));
    for (int year = 1900; year <= 2050; ++year)
        years.append(QString::number(year));
    for (int hour = 0; hour < 24; hour += 2)
        times.append(QStringLiteral("%1:00 - %2:00").arg(hour).arg(hour + 2));
    list(details, {112, 64, 145, 22}, times);
    list(details, {112, 112, 49, 22}, days);
    list(details, {168, 112, 105, 22}, months);
    list(details, {280, 112, 73, 22}, years);
    button(details, QStringLiteral("Find My &Result"), {8, 144, 348, 47});

    QGroupBox* choose = group(details, QStringLiteral("Select What To Find"), {360, 8, 185, 97});
    int y = 16;
    for (const char* text : {"Find First", "Find Second", "Find Third"}) {
        auto* box = new QCheckBox(QString::fromLatin1(text), choose);
        box->setGeometry(16, y, 153, 25);
        textColour(box, kGrey);
        y += 24;
    }
    button(details, QStringLiteral("Open A Saved Result"), {360, 112, 185, 81});

    QFrame* bottom = frame(central, {0, 296, 556, 57});
    label(bottom,
          QStringLiteral("An offer in two or three lines of wrapped text at the foot of the window, "
                         "with an address to click for more details."),
          {8, 4, 448, 49}, kYellow, true);
    button(bottom, QStringLiteral("&Exit"), {464, 16, 84, 31});

    central->setFixedSize(556, 353);
    setFixedSize(556, 353 + menuBar()->sizeHint().height());
}
