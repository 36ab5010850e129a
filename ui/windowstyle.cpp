#include "ui/windowstyle.h"

#include "ui/about/frmabout.h"
#include "ui/compat.h"
#include "ui/look.h"
#include "ui/workingwindow.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>

#include <memory>

namespace {

// The program uses a handful of colour sets; beyond this, palettes are passed on unchanged.
constexpr int kMaxSharedPalettes = 64;
// Width of a list's drop-down part; a check box's square is 11 px inside a 1 px frame.
constexpr int kArrowWidth = 14;
constexpr int kIndicatorSide = 13;
const QColor kPressedGrey{0xC0, 0xC0, 0xC0};

// Whether the widget belongs to one of the program's own windows; a list's pop-up counts as
// part of the window of its list.
bool inProgramWindow(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (!widget->isWindow())
            continue;
        if (qobject_cast<const WorkingWindow*>(widget) || qobject_cast<const frmAbout*>(widget))
            return true;
        if (widget->windowType() != Qt::Popup)
            return false;
    }
    return false;
}

template <typename T>
bool is(const QWidget* widget)
{
    return qobject_cast<const T*>(widget) && inProgramWindow(widget);
}

// A 1 px frame inside rect, width pixels thick, round a flat face.
void drawFlatBox(QPainter* painter, const QRect& rect, const QColor& face, const QColor& frame, int width = 1)
{
    painter->fillRect(rect, frame);
    painter->fillRect(rect.adjusted(width, width, -width, -width), face);
}

// Tabs, text boxes and scroll bars keep the desktop's outlines, which the style derives from the
// window colour; the dark brown would make them vanish.
bool keepsDesktopOutline(const QWidget* widget)
{
    return (qobject_cast<const QTabWidget*>(widget) || qobject_cast<const QTabBar*>(widget) ||
            qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QScrollBar*>(widget)) &&
           inProgramWindow(widget);
}

QPalette popupPalette()
{
    QPalette palette = QApplication::palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, look::kDarkBrown);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, look::kLightGrey);
    palette.setColor(QPalette::Highlight, look::kLightGrey);
    palette.setColor(QPalette::HighlightedText, Qt::black);
    return palette;
}

// The option with its palette replaced, as a copy of the option's own type. Only the types the
// wrapped style is handed are known; another type is left as it came. The copy is held with
// its own type's deleter: QStyleOption's destructor is not virtual.
using OptionCopy = std::unique_ptr<QStyleOption, void (*)(QStyleOption*)>;

template <typename Option>
bool copyWithPalette(const QStyleOption& option, const QPalette& palette, OptionCopy& copy)
{
    if (option.type != Option::Type || option.version != Option::Version)
        return false;
    copy = OptionCopy(new Option(static_cast<const Option&>(option)),
                      [](QStyleOption* made) { delete static_cast<Option*>(made); });
    copy->palette = palette;
    return true;
}

template <typename... Options>
OptionCopy copyOf(const QStyleOption& option, const QPalette& palette)
{
    OptionCopy copy(nullptr, [](QStyleOption*) {});
    static_cast<void>((copyWithPalette<Options>(option, palette, copy) || ...));
    return copy;
}

// The desktop's window colour in the palette, for the widgets that keep the desktop's outlines.
QPalette withDesktopOutline(const QPalette& palette, const QWidget* widget)
{
    QPalette outlined = palette;
    const QPalette desktop = QApplication::palette(widget);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        outlined.setBrush(g, QPalette::Window, desktop.brush(g, QPalette::Window));
    return outlined;
}

} // namespace

// The option to hand the wrapped style for one draw call: a copy carrying the shared palette
// with the same colours, or the caller's own where that is already the shared one.
class WindowStyle::SharedPalette {
public:
    SharedPalette(const WindowStyle* style, const QStyleOption* option, const QWidget* widget)
        : m_option(option)
    {
        if (!option)
            return;
        const bool outlined = keepsDesktopOutline(widget);
        const QPalette own = outlined ? withDesktopOutline(option->palette, widget) : option->palette;
        const QPalette* shared = style->sharedPalette(own);
        if (!shared && !outlined)
            return;
        QPalette palette = shared ? *shared : own;
        palette.setCurrentColorGroup(option->palette.currentColorGroup());
        m_copy = copyOf<QStyleOptionButton, compat::NewestTabOption, QStyleOptionTab, QStyleOptionMenuItem,
                        QStyleOptionFrame, QStyleOptionProgressBar, QStyleOptionToolBox,
                        compat::NewestHeaderOption, QStyleOptionHeader, QStyleOptionDockWidget,
                        QStyleOptionViewItem, QStyleOptionTabWidgetFrame, QStyleOptionTabBarBase,
                        QStyleOptionRubberBand, QStyleOptionToolBar, QStyleOptionFocusRect, QStyleOptionSlider,
                        QStyleOptionSpinBox, QStyleOptionToolButton, QStyleOptionComboBox, QStyleOptionTitleBar,
                        QStyleOptionGroupBox, QStyleOptionSizeGrip, QStyleOptionComplex, QStyleOption>(*option,
                                                                                                      palette);
        if (m_copy)
            m_option = m_copy.get();
    }

    const QStyleOption* option() const { return m_option; }
    const QStyleOptionComplex* complex() const { return static_cast<const QStyleOptionComplex*>(m_option); }

private:
    const QStyleOption* m_option;
    OptionCopy m_copy{nullptr, [](QStyleOption*) {}};
};

WindowStyle::WindowStyle()
    : QProxyStyle(compat::styleName(QApplication::style()))
{
}

void WindowStyle::install()
{
    if (!qobject_cast<WindowStyle*>(QApplication::style()))
        QApplication::setStyle(new WindowStyle);
}

const QPalette* WindowStyle::sharedPalette(const QPalette& palette) const
{
    for (const QPalette& known : m_palettes) {
        if (known.cacheKey() == palette.cacheKey())
            return nullptr;
    }
    for (const QPalette& known : m_palettes) {
        if (known == palette)
            return &known;
    }
    if (m_palettes.size() < kMaxSharedPalettes)
        m_palettes.append(palette);
    return nullptr;
}

void WindowStyle::polish(QWidget* widget)
{
    QProxyStyle::polish(widget);
    if (auto* button = qobject_cast<QPushButton*>(widget); button && inProgramWindow(button)) {
        // Black captions on the light grey face (the window's text is light grey), grey when off.
        QPalette palette = button->palette();
        palette.setColor(QPalette::Active, QPalette::ButtonText, Qt::black);
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, Qt::black);
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, look::kDisabledGrey);
        button->setPalette(palette);
    } else if (qobject_cast<QLineEdit*>(widget) && inProgramWindow(widget)) {
        // Light grey text whatever colour the frame around gives its captions.
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Text, look::kLightGrey);
        widget->setPalette(palette);
    } else if (auto* list = qobject_cast<QComboBox*>(widget); list && inProgramWindow(list)) {
        QPalette own = list->palette();
        own.setColor(QPalette::Text, look::kLightGrey);
        own.setColor(QPalette::ButtonText, look::kLightGrey);
        list->setPalette(own);
        // The pop-up is a window of its own and does not inherit the window's colours.
        static const QPalette palette = popupPalette();
        list->view()->setPalette(palette);
        list->view()->parentWidget()->setPalette(palette);
    }
}

void WindowStyle::drawFlatCheckBox(const QStyleOption* option, QPainter* painter) const
{
    const QRect r = option->rect;
    drawFlatBox(painter, r, look::kDarkBrown, look::kLightGrey);
    if (!(option->state & (State_On | State_NoChange)))
        return;
    // A tick drawn to the size of the square inside the frame.
    const QRect inside = r.adjusted(1, 1, -1, -1);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(inside.topLeft());
    painter->scale(inside.width() / 12.0, inside.height() / 12.0);
    QPainterPath tick(QPointF(2.5, 6.2));
    tick.lineTo(5, 8.7);
    tick.lineTo(9.8, 3.3);
    painter->setPen(QPen(look::kLightGrey, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(tick);
    painter->restore();
}

void WindowStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    if (element == PE_PanelLineEdit && is<QLineEdit>(widget)) {
        const bool focused = option->state & State_HasFocus;
        drawFlatBox(painter, option->rect, look::kDarkBrown, focused ? look::kSkyBlue : look::kLightGrey);
        return;
    }
    if (element == PE_IndicatorCheckBox && is<QCheckBox>(widget)) {
        drawFlatCheckBox(option, painter);
        return;
    }
    if ((element == PE_PanelMenuBar || element == PE_FrameMenu) && is<QMenuBar>(widget)) {
        painter->fillRect(option->rect, look::kDarkBrown);
        return;
    }
    const SharedPalette shared(this, option, widget);
    QProxyStyle::drawPrimitive(element, shared.option(), painter, widget);
}

void WindowStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    if (drawFlatControl(element, option, painter, widget))
        return;
    const SharedPalette shared(this, option, widget);
    QProxyStyle::drawControl(element, shared.option(), painter, widget);
}

bool WindowStyle::drawFlatControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    switch (element) {
    case CE_PushButtonBevel:
    case CE_PushButton:
        if (!is<QPushButton>(widget))
            return false;
        drawFlatButton(element == CE_PushButton, option, painter, widget);
        return true;
    case CE_MenuBarEmptyArea:
        if (!is<QMenuBar>(widget))
            return false;
        painter->fillRect(option->rect, look::kDarkBrown);
        return true;
    case CE_MenuBarItem:
        return is<QMenuBar>(widget) && drawFlatMenuBarItem(option, painter, widget);
    default:
        return false;
    }
}

void WindowStyle::drawFlatButton(bool withLabel, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    const bool focused = option->state & State_HasFocus;
    const QColor face = (option->state & State_Sunken) ? kPressedGrey : look::kLightGrey;
    drawFlatBox(painter, option->rect, face, focused ? QColor(Qt::black) : look::kDisabledGrey, focused ? 2 : 1);
    // The frame shows the focus; no dotted rectangle on top.
    if (withLabel)
        proxy()->drawControl(CE_PushButtonLabel, option, painter, widget);
}

bool WindowStyle::drawFlatMenuBarItem(const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item)
        return false;
    const bool enabled = option->state & State_Enabled;
    const bool lit = enabled && (option->state & (State_Selected | State_Sunken));
    painter->fillRect(option->rect, lit ? look::kLightGrey : look::kDarkBrown);
    int flags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextDontClip | Qt::TextSingleLine;
    if (!proxy()->styleHint(SH_UnderlineShortcut, item, widget))
        flags |= Qt::TextHideMnemonic;
    painter->save();
    painter->setPen(lit ? QColor(Qt::black) : enabled ? look::kLightGrey : look::kDisabledGrey);
    painter->drawText(option->rect, flags, item->text);
    painter->restore();
    return true;
}

void WindowStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                     const QWidget* widget) const
{
    if (control == CC_ComboBox && is<QComboBox>(widget)) {
        const bool focused = option->state & State_HasFocus;
        drawFlatBox(painter, option->rect, look::kDarkBrown, focused ? look::kSkyBlue : look::kLightGrey);
        // A small down arrow, centred in the drop-down part.
        const QRectF arrow = subControlRect(control, option, SC_ComboBoxArrow, widget);
        const QPointF c = arrow.center();
        const QPointF points[] = {c + QPointF(-3.5, -2), c + QPointF(3.5, -2), c + QPointF(0, 2.5)};
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(look::kLightGrey);
        painter->drawPolygon(points, 3);
        painter->restore();
        return;
    }
    const SharedPalette shared(this, option, widget);
    QProxyStyle::drawComplexControl(control, shared.complex(), painter, widget);
}

QRect WindowStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                  SubControl subControl, const QWidget* widget) const
{
    if (control == CC_ComboBox && is<QComboBox>(widget)) {
        const QRect r = option->rect;
        switch (subControl) {
        case SC_ComboBoxArrow:
            return QRect(r.right() - kArrowWidth, r.top() + 1, kArrowWidth, r.height() - 2);
        case SC_ComboBoxEditField:
            // Inside the frame; the caption is drawn a pixel in from this.
            return r.adjusted(2, 1, -(kArrowWidth + 1), -1);
        case SC_ComboBoxFrame:
        case SC_ComboBoxListBoxPopup:
            return r;
        default:
            break;
        }
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

QRect WindowStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const
{
    if (element == SE_LineEditContents && is<QLineEdit>(widget))
        return option->rect.adjusted(3, 1, -1, -1);
    return QProxyStyle::subElementRect(element, option, widget);
}

int WindowStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if ((metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) && is<QCheckBox>(widget))
        return kIndicatorSide;
    if (metric == PM_CheckBoxLabelSpacing && is<QCheckBox>(widget))
        return QProxyStyle::pixelMetric(metric, option, widget) + 1;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void prepareProgramWindows()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(assets);
        return true;
    }();
    Q_UNUSED(registered)
    WindowStyle::install();
}
