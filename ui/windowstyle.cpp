#include "ui/windowstyle.h"

#include "ui/look.h"

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

namespace {

// The program uses a handful of colour sets; beyond this, palettes are passed on unchanged.
constexpr int kMaxSharedPalettes = 64;
// Width of a list's drop-down part; a check box's square is 11 px inside a 1 px frame.
constexpr int kArrowWidth = 14;
constexpr int kIndicatorSide = 13;
const QColor kPressedGrey{0xC0, 0xC0, 0xC0};

QString currentStyleName()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 1, 0)
    return QApplication::style()->name();
#else
    return QApplication::style()->objectName();
#endif
}

// Whether the widget belongs to one of the program's own windows; a list's pop-up counts as
// part of the window of its list.
bool inProgramWindow(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget()) {
        if (!widget->isWindow())
            continue;
        const QString name = widget->objectName();
        if (name == QLatin1String("frmMain") || name == QLatin1String("frmDisplay") ||
            name == QLatin1String("frmAbout"))
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

} // namespace

// Puts the shared palette into the option for one draw call and the caller's back afterwards.
class WindowStyle::SharedPalette {
public:
    SharedPalette(const WindowStyle* style, const QStyleOption* option, const QWidget* widget)
        : m_option(const_cast<QStyleOption*>(option))
    {
        if (!m_option)
            return;
        const QPalette::ColorGroup group = m_option->palette.currentColorGroup();
        QPalette outlined;
        const QPalette* palette = &m_option->palette;
        if (keepsDesktopOutline(widget)) {
            outlined = *palette;
            const QPalette desktop = QApplication::palette(widget);
            for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                outlined.setBrush(g, QPalette::Window, desktop.brush(g, QPalette::Window));
            palette = &outlined;
        }
        const QPalette* shared = style->sharedPalette(*palette);
        if (!shared)
            shared = palette;
        if (shared == &m_option->palette)
            return;
        m_saved = m_option->palette;
        m_option->palette = *shared;
        m_option->palette.setCurrentColorGroup(group);
        m_swapped = true;
    }
    ~SharedPalette()
    {
        if (m_swapped)
            m_option->palette = m_saved;
    }
    SharedPalette(const SharedPalette&) = delete;
    SharedPalette& operator=(const SharedPalette&) = delete;

private:
    QStyleOption* m_option;
    QPalette m_saved;
    bool m_swapped = false;
};

WindowStyle::WindowStyle()
    : QProxyStyle(currentStyleName())
{
}

void WindowStyle::install()
{
    if (!dynamic_cast<WindowStyle*>(QApplication::style()))
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

void WindowStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    if (element == PE_PanelLineEdit && is<QLineEdit>(widget)) {
        const bool focused = option->state & State_HasFocus;
        drawFlatBox(painter, option->rect, look::kDarkBrown, focused ? look::kSkyBlue : look::kLightGrey);
        return;
    }
    if (element == PE_IndicatorCheckBox && is<QCheckBox>(widget)) {
        const QRect r = option->rect;
        drawFlatBox(painter, r, look::kDarkBrown, look::kLightGrey);
        if (option->state & (State_On | State_NoChange)) {
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
        return;
    }
    if ((element == PE_PanelMenuBar || element == PE_FrameMenu) && is<QMenuBar>(widget)) {
        painter->fillRect(option->rect, look::kDarkBrown);
        return;
    }
    SharedPalette shared(this, option, widget);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void WindowStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    switch (element) {
    case CE_PushButtonBevel:
    case CE_PushButton:
        if (is<QPushButton>(widget)) {
            const bool focused = option->state & State_HasFocus;
            const QColor face = (option->state & State_Sunken) ? kPressedGrey : look::kLightGrey;
            drawFlatBox(painter, option->rect, face, focused ? QColor(Qt::black) : look::kDisabledGrey,
                        focused ? 2 : 1);
            // The frame shows the focus; no dotted rectangle on top.
            if (element == CE_PushButton)
                proxy()->drawControl(CE_PushButtonLabel, option, painter, widget);
            return;
        }
        break;
    case CE_MenuBarEmptyArea:
        if (is<QMenuBar>(widget)) {
            painter->fillRect(option->rect, look::kDarkBrown);
            return;
        }
        break;
    case CE_MenuBarItem:
        if (is<QMenuBar>(widget)) {
            const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            if (!item)
                break;
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
            return;
        }
        break;
    default:
        break;
    }
    SharedPalette shared(this, option, widget);
    QProxyStyle::drawControl(element, option, painter, widget);
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
    SharedPalette shared(this, option, widget);
    QProxyStyle::drawComplexControl(control, option, painter, widget);
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
