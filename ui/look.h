// The program's colours and fonts, shared by its windows.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QStringList>

class QLabel;
class QMainWindow;
class QMenu;
class QWidget;

namespace look {

inline const QColor kDarkBrown{0x43, 0x32, 0x12};
inline const QColor kSkyBlue{0x20, 0xBF, 0xDB};
inline const QColor kLightGrey{0xE0, 0xE0, 0xE0};
inline const QColor kPaleGreen{0xC0, 0xFF, 0xC0};
inline const QColor kLinkYellow{0xFF, 0xFF, 0x80};
// Text of a disabled command or button: plainly dimmer than the light grey text.
inline const QColor kDisabledGrey{0x80, 0x80, 0x80};

// The program's icon, from pre-rendered sizes: loading the SVG icon engine costs start-up time.
QIcon programIcon();
// The icon as a picture of side logical pixels for a screen of the given pixel ratio, from the
// smallest rendering that is large enough (only that one is decoded).
QPixmap programIconPixmap(int side, qreal devicePixelRatio);

// The forms hold pixel positions for 96 dpi (15 twips a pixel). Where Qt does not scale the
// window itself (Qt 5 without high-dpi scaling, large fonts), the screen's logical dpi is
// higher, and rectangles grow with it so the captions keep fitting.
qreal layoutScale(const QWidget* widget);
// Scales the rectangles of every named control below root that no layout manages.
void scaleLayout(QWidget* root, qreal scale);
QSize scaled(QSize size, qreal scale);
// Widens a one-line caption whose text is wider than its rectangle (a substitute font may run
// wider than Verdana); never narrows it.
void growToFitCaption(QLabel* label);

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
// Light grey face with black text (tab captions).
void setButtonColours(QWidget* widget);

} // namespace look
