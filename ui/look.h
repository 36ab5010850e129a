// The program's colours and fonts, shared by its windows.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QSize>
#include <QStringList>

class QMainWindow;
class QMenu;
class QWidget;

namespace look {

inline const QColor kDarkBrown{0x43, 0x32, 0x12};
inline const QColor kSkyBlue{0x20, 0xBF, 0xDB};
inline const QColor kLightGrey{0xE0, 0xE0, 0xE0};
inline const QColor kPaleGreen{0xC0, 0xFF, 0xC0};
inline const QColor kLinkYellow{0xFF, 0xFF, 0x80};

// The program's icon, from pre-rendered sizes: loading the SVG icon engine costs start-up time.
QIcon programIcon();

// What both working windows share: the program's icon, the dark brown background (menu bar
// included), a fixed client area below the menu bar, and names for the Help
// menu's separators (a .ui form cannot name them) so every entry can be found by its name.
void setUpWorkingWindow(QMainWindow* window, QSize clientArea, QMenu* helpMenu,
                        const QStringList& separatorNames);

// Verdana at the given size; where Verdana is not installed Qt picks a similar face.
QFont verdana(qreal pointSize, bool bold = false);

// Background of a window, frame or entry box (filled, not inherited from the style).
void setBackground(QWidget* widget, const QColor& colour);
// Text colour of a label, check box, frame caption or entry box.
void setTextColour(QWidget* widget, const QColor& colour);
// Dark brown entry with light grey text, as the name box and the lists are.
void setEntryColours(QWidget* widget);
// Light grey face with black text.
void setButtonColours(QWidget* widget);

} // namespace look
